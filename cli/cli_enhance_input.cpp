#include "cli/cli_enhance_input.h"

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

// Puts the file's name before each message, and notices whether any was shown.
class FileMessageSink : public MessageSink {
public:
    FileMessageSink(MessageSink& target, const std::string& path) : target_(target), path_(path) {}
    void ShowMessage(const std::string& text, const std::string& caption = {},
                     MessageIcon icon = MessageIcon::kInformation) override {
        shown_ = true;
        target_.ShowMessage(path_ + ": " + text, caption, icon);
    }
    bool Shown() const { return shown_; }

private:
    MessageSink& target_;
    const std::string& path_;
    bool shown_ = false;
};

// Adds every picture; the reference is the requested input if it entered the set.
bool FillFromPictures(EnhanceJob& job, const EnhanceInputRequest& request, MessageSink& messages,
                      std::string* error) {
    int32_t reference = -1;
    for (std::size_t i = 0; i < request.inputs.size(); ++i) {
        FileMessageSink fileMessages(messages, request.inputs[i]);
        if (AddImageFile(job, request.inputs[i], fileMessages)) {
            if (static_cast<int32_t>(i) == request.reference) {
                reference = job.FrameCount() - 1;
            }
        } else if (!fileMessages.Shown()) {
            fileMessages.ShowMessage("not a readable BMP or JPEG picture; skipped");
        }
    }
    if (job.FrameCount() <= 0) {
        *error = "no picture could be added to the set";
        return false;
    }
    if (reference < 0) {
        *error = "the reference picture (input " + std::to_string(request.reference) +
                 ") could not be added to the set";
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
