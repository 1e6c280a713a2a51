#include "job/job.h"

#include <cstdlib>

#include "profiles/profile_list.h"

namespace lumivex {

EnhanceJob::~EnhanceJob() {
    progress.cancel = true;
    JoinWorker(*this);
}

void EnhanceJob::Reset() {
    if (worker.joinable()) {
        progress.cancel = true;
        JoinWorker(*this);
    }
    frames.clear();
    names.clear();
    result.Release();
    verticalFactor = 1.0;
    mediaFactor = 1.0;
    width = -1;
    height = -1;
    referenceIndex = -1;
    profileIndex = 0;
    params.Clear();
    method = ReconstructionMethod::kStandard;
    interlaced = false;
    resultReady = false;
    inputKind = kInputNone;
    progress.status = 0;
    progress.cancel = false;
}

OutputSize ComputeOutputSize(const EnhanceJob& job, const EnhanceParams& params) {
    return ComputeOutputSize(job.width, job.height, job.verticalFactor, params);
}

bool LoadJobProfile(EnhanceJob& job, const ProfileList& profiles) {
    if (job.profileIndex < 0 || job.profileIndex >= profiles.Count()) {
        job.params.Clear();
        return false;
    }
    return job.params.Load(profiles.Path(job.profileIndex));
}

EngineInput EngineInputOf(const EnhanceJob& job) {
    if (job.interlaced) {
        return EngineInput{2 * job.FrameCount(), job.height / 2, 2 * job.referenceIndex};
    }
    return EngineInput{job.FrameCount(), job.height, job.referenceIndex};
}

std::vector<uint8_t*> BuildFramePointers(EnhanceJob& job) {
    std::vector<uint8_t*> pointers;
    pointers.reserve(job.frames.size() * (job.interlaced ? 2 : 1));
    for (const auto& frame : job.frames) {
        pointers.push_back(frame->Bits());
        if (job.interlaced) {
            // The second field starts at stored row height / 2 (whole rows, also for an odd
            // height, whose last row belongs to neither field).
            const int32_t half = std::abs(frame->Height()) / 2;
            pointers.push_back(frame->Bits() + static_cast<ptrdiff_t>(frame->Stride()) * half);
        }
    }
    return pointers;
}

namespace {

bool FramesArePacked(const EnhanceJob& job) {
    if (job.width <= 0 || job.height <= 0 || job.width % 4 != 0) {
        return false;
    }
    for (const auto& frame : job.frames) {
        if (!frame || frame->IsEmpty() || frame->BitsPerPixel() != 24 ||
            frame->Width() != job.width || std::abs(frame->Height()) != job.height ||
            frame->Stride() != job.width * 3) {
            return false;
        }
    }
    return true;
}

std::string SizeText(int32_t width, int32_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

std::string EnhancementRefusal(const EnhanceJob& job, OutputSize outSize) {
    if (job.FrameCount() <= 0) {
        return "Error! No input images available!!";
    }
    if (!FramesArePacked(job) || job.referenceIndex < 0 || job.referenceIndex >= job.FrameCount()) {
        return "The input images are not a consistent set of 24-bit pictures.";
    }
    const int64_t outBytes = int64_t{outSize.width} * outSize.height * 3;
    if (outSize.width <= 0 || outSize.height <= 0 || outBytes > kMaxPixelDataBytes) {
        return "The output size " + SizeText(outSize.width, outSize.height) +
               " is too large: a picture may hold at most " + std::to_string(kMaxPixelDataBytes) +
               " bytes of pixels.";
    }
    const EngineInput input = EngineInputOf(job);
    if (input.count > 1 && !RegistrationSizeSupported(job.width, input.height)) {
        return "The input images (" + SizeText(job.width, input.height) +
               (job.interlaced ? " per field" : "") +
               ") are too small to be registered; they must be at least " +
               SizeText(MinRegistrationWidth(), MinRegistrationHeight()) + " pixels.";
    }
    const int32_t minSide = MinResampleSize();
    if (job.width < minSide || input.height < minSide || outSize.width < minSide ||
        outSize.height < minSide) {
        return "The input and output pictures must be at least " + SizeText(minSide, minSide) +
               " pixels.";
    }
    return {};
}

}  // namespace lumivex
