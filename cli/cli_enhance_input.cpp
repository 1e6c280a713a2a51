#include "cli/cli_enhance_input.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "cli/cli_messages.h"
#include "cli/cli_paths.h"
#include "image/read_image.h"
#include "job/input_set.h"

namespace lumivex::cli {

namespace {

std::vector<EnhanceInputSource>& Sources() {
    static std::vector<EnhanceInputSource> sources;
    return sources;
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AcceptsAnything(const EnhanceInputRequest&) {
    return true;
}

// Why the picture at path cannot be read: the system's reason when the file cannot be opened,
// else what the codec said.
std::string UnreadableText(const std::string& path, const std::string& error) {
    if (error == TooLargeText()) {
        return "left out (" + CommandLineText(error) + ")";
    }
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        return "left out, cannot be read (" + ReasonText(errno) + ")";
    }
    std::fclose(probe);
    return "left out, not a picture Lumivex reads (" + CommandLineText(error) + ")";
}

std::string SizeText(int32_t width, int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Adds the picture at path to the set; false, with a message naming the file, when it is left
// out. first receives the size of the first picture added.
bool AddInput(EnhanceJob& job, const std::string& path, OutputSize& first) {
    FileMessageSink messages(path);
    auto image = std::make_unique<RgbImage>();
    std::string error;
    ImageFileFacts facts;
    if (!ReadImageFile(path, *image, &error, &facts)) {
        messages.ShowMessage(UnreadableText(path, error));
        return false;
    }
    if (!facts.warning.empty()) {
        messages.ShowMessage(facts.warning);
    }
    const int32_t width = image->Width(), height = image->Height();
    if (job.FrameCount() > 0 && (width / 4 * 4 != job.width || height != job.height)) {
        messages.ShowMessage("left out, its size differs from the first picture's (" +
                             SizeText(width, height) + ", not " +
                             SizeText(first.width, first.height) + ")");
        return false;
    }
    if (!AddImage(job, std::move(image), path, messages)) {
        messages.ShowMessage("left out (not enough memory to convert it to 24 bits)");
        return false;
    }
    if (job.FrameCount() == 1) {
        first = {width, height};
    }
    return true;
}

// Adds every picture; the reference is the requested input if it entered the set.
bool FillFromPictures(EnhanceJob& job, const EnhanceInputRequest& request,
                      MessageSink& /*messages*/, std::string* error) {
    job.inputKind = kInputImageSet;
    int32_t reference = -1;
    OutputSize first;
    for (std::size_t i = 0; i < request.inputs.size(); ++i) {
        if (AddInput(job, request.inputs[i], first) &&
            static_cast<int32_t>(i) == request.reference) {
            reference = job.FrameCount() - 1;
        }
    }
    if (job.FrameCount() <= 0) {
        *error = "no picture could be added to the set; nothing was written";
        return false;
    }
    if (reference < 0) {
        *error = request.inputs[request.reference] + ": the reference picture (--reference " +
                 std::to_string(request.reference) +
                 ") could not be added to the set; nothing was written";
        return false;
    }
    job.referenceIndex = reference;
    return true;
}

std::vector<std::string> PictureFiles(const EnhanceJob& job, const EnhanceInputRequest&) {
    return job.names;
}

const EnhanceInputSource kPictureSet{"pictures", &AcceptsAnything, &FillFromPictures,
                                     &PictureFiles};

}  // namespace

bool RegisterEnhanceInputSource(const EnhanceInputSource& source) {
    Sources().push_back(source);
    return true;
}

const EnhanceInputSource& EnhanceInputSourceFor(const EnhanceInputRequest& request) {
    for (const EnhanceInputSource& source : Sources()) {
        if (source.accepts(request)) {
            return source;
        }
    }
    return kPictureSet;
}

std::string EngineImageName(const EnhanceJob& job, int32_t engineIndex) {
    const int32_t frame = job.interlaced ? engineIndex / 2 : engineIndex;
    if (frame < 0 || frame >= static_cast<int32_t>(job.names.size())) {
        return {};
    }
    if (!job.interlaced) {
        return FileName(job.names[frame]);
    }
    return job.names[frame] + (engineIndex % 2 == 0 ? "a" : "b");
}

}  // namespace lumivex::cli
