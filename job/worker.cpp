#include "job/job.h"

#include <system_error>

#include "reconstruct/reconstruct.h"

namespace lumivex {

namespace {

// The job's method on the engine's input, leaving the final status in progress.
void RunMethod(EnhanceJob& job, std::vector<uint8_t*>& pointers, const EngineInput& input,
               OutputSize out) {
    if (job.method != ReconstructionMethod::kQuality) {
        RunEnhancement(job.progress, pointers.data(), input.count, job.width, input.height,
                       input.reference, job.result.Bits(), out.width, out.height, &job.params,
                       job.observer);
        return;
    }
    const bool finished = ReconstructQuality(job.progress, pointers.data(), input.count, job.width,
                                             input.height, input.reference, job.result.Bits(),
                                             out.width, out.height, QualityOptions{}, job.observer);
    if (finished) {
        job.progress.status = kEnhanceSucceeded;
    } else {
        job.progress.status = job.progress.cancel ? kEnhanceCancelled : kEnhanceFailed;
    }
}

}  // namespace

int EnhanceWorker(EnhanceJob& job) {
    if (job.FrameCount() <= 0) {
        return -1;
    }
    const OutputSize out = ComputeOutputSize(job, job.params);
    job.result.Release();
    job.resultReady = false;
    // A set the engine cannot take (or an output the picture limit refuses) ends as a failure
    // instead of handing the engine buffers that do not match the sizes it is told.
    if (!EnhancementRefusal(job, out).empty() || !job.result.Allocate(out.width, out.height, 24)) {
        job.result.Release();
        job.progress.status = kEnhanceFailed;
        return 0;
    }
    std::vector<uint8_t*> pointers = BuildFramePointers(job);
    const EngineInput input = EngineInputOf(job);
    RunMethod(job, pointers, input, out);
    if (job.progress.status != kEnhanceSucceeded) {
        job.result.Release();
    } else {
        job.resultReady = true;
    }
    return 0;
}

bool StartEnhancement(EnhanceJob& job) {
    if (job.FrameCount() <= 0) {
        return false;
    }
    if (job.worker.joinable()) {
        if (job.progress.status >= 0) {
            return false;  // still running
        }
        job.worker.join();
    }
    job.progress.status = 0;
    job.progress.cancel = false;
    try {
        job.worker = std::thread([&job] { EnhanceWorker(job); });
    } catch (const std::system_error&) {
        return false;  // no thread could be created
    }
    return true;
}

void JoinWorker(EnhanceJob& job) {
    if (job.worker.joinable()) {
        job.worker.join();
    }
}

}  // namespace lumivex
