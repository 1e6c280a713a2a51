#include "job/job.h"

#include <new>
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
    QualityOptions options;
    options.blurSigma = job.blurSigma;
    const bool finished = ReconstructQuality(job.progress, pointers.data(), input.count, job.width,
                                             input.height, input.reference, job.result.Bits(),
                                             out.width, out.height, options, job.observer);
    if (finished) {
        job.progress.status = kEnhanceSucceeded;
    } else {
        job.progress.status = job.progress.cancel ? kEnhanceCancelled : kEnhanceFailed;
    }
}

// Runs the job's method; memory running out on the way (the engine's working planes are
// allocated as the run goes) ends the run as failed, or as cancelled when cancel was set.
void RunWithinMemory(EnhanceJob& job, OutputSize out) {
    try {
        std::vector<uint8_t*> pointers = BuildFramePointers(job);
        RunMethod(job, pointers, EngineInputOf(job), out);
    } catch (const std::bad_alloc&) {
        const bool cancelled = job.progress.cancel;
        job.failure = cancelled ? EnhanceFailure::kNone : EnhanceFailure::kOutOfMemory;
        job.progress.status = cancelled ? kEnhanceCancelled : kEnhanceFailed;
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
    job.failure = EnhanceFailure::kNone;
    // A set the engine cannot take (or an output the picture limit refuses) ends as a failure
    // instead of handing the engine buffers that do not match the sizes it is told; a result
    // within the limit that cannot be allocated is a lack of memory.
    const bool refused = !EnhancementRefusal(job, out).empty();
    if (refused || !job.result.Allocate(out.width, out.height, 24)) {
        job.result.Release();
        job.failure = refused ? EnhanceFailure::kNone : EnhanceFailure::kOutOfMemory;
        job.progress.status = kEnhanceFailed;
        return 0;
    }
    RunWithinMemory(job, out);
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
