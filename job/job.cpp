#include "job/job.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <system_error>

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
    chosenMethod.reset();
    blurSigma = 0.0;
    interlaced = false;
    resultReady = false;
    failure = EnhanceFailure::kNone;
    inputKind = kInputNone;
    progress.status = 0;
    progress.cancel = false;
}

OutputSize ComputeOutputSize(const EnhanceJob& job, const EnhanceParams& params) {
    return ComputeOutputSize(job.width, job.height, job.verticalFactor, params);
}

namespace {

std::string TrimmedLower(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    const size_t end = text.find_last_not_of(" \t");
    std::string out = text.substr(begin, end - begin + 1);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

ReconstructionMethod ReconstructionMethodOf(const EnhanceParams& params, std::string* warning) {
    if (warning != nullptr) {
        warning->clear();
    }
    const std::string* value = params.FindValue("reconstruction", "method");
    if (value == nullptr) {
        return ReconstructionMethod::kStandard;
    }
    const std::string method = TrimmedLower(*value);
    if (method == "quality") {
        return ReconstructionMethod::kQuality;
    }
    if (method != "standard" && warning != nullptr) {
        *warning = "The profile asks for the reconstruction method \"" + *value +
                   "\", which is not known (\"standard\" or \"quality\"); the standard method "
                   "is used.";
    }
    return ReconstructionMethod::kStandard;
}

bool ParseOpticalBlur(const std::string& text, std::optional<double>& blur) {
    const std::string value = TrimmedLower(text);
    if (value == "auto") {
        blur.reset();
        return true;
    }
    double sigma = 0.0;
    const char* end = value.data() + value.size();
    const auto result = std::from_chars(value.data(), end, sigma, std::chars_format::fixed);
    if (value.empty() || result.ec != std::errc() || result.ptr != end || !(sigma >= 0.0) ||
        sigma > kMaxBlurSigma) {
        return false;
    }
    blur = sigma;
    return true;
}

std::optional<double> OpticalBlurOf(const EnhanceParams& params, std::string* warning) {
    if (warning != nullptr) {
        warning->clear();
    }
    std::optional<double> blur = 0.0;
    const std::string* value = params.FindValue("reconstruction", "blur");
    if (value != nullptr && !ParseOpticalBlur(*value, blur) && warning != nullptr) {
        *warning = "The profile asks for the optical blur \"" + *value +
                   "\", which is neither \"auto\" nor a sigma from 0 to 2; no blur is assumed.";
    }
    return blur;
}

bool LoadJobProfile(EnhanceJob& job, const ProfileList& profiles, std::string* warning) {
    bool read = false;
    if (job.profileIndex < 0 || job.profileIndex >= profiles.Count()) {
        job.params.Clear();
    } else {
        read = job.params.Load(profiles.Path(job.profileIndex));
    }
    const ReconstructionMethod profileMethod = ReconstructionMethodOf(job.params, warning);
    job.method = job.chosenMethod.value_or(profileMethod);
    std::string blurWarning;
    job.blurSigma = OpticalBlurOf(job.params, &blurWarning);
    if (warning != nullptr && !blurWarning.empty()) {
        *warning += (warning->empty() ? "" : "\n") + blurWarning;
    }
    return read;
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

std::string EnhanceFailureText(const EnhanceJob& job, OutputSize outSize) {
    if (job.failure != EnhanceFailure::kOutOfMemory) {
        return {};
    }
    return "not enough memory for a " + std::to_string(outSize.width) + " × " +
           std::to_string(outSize.height) + " result";
}

}  // namespace lumivex
