#include "video/enhance_frames.h"

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/parallel.h"
#include "engine/super_resolve.h"
#include "job/input_set.h"
#include "video/debug_message.h"
#include "video/gather_frames.h"
#include "video/grabbing_path.h"
#include "video/video_page_model.h"

namespace lumivex::video {

namespace {

std::string FrameName(int64_t index) {
    char name[40];
    std::snprintf(name, sizeof name, "Frame %" PRId64, index);
    return name;
}

std::string SizeText(int32_t width, int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Empties the frame set only: size, factors, profile, result and input kind stay.
void ClearFrames(EnhanceJob& job) {
    job.frames.clear();
    job.names.clear();
    job.referenceIndex = -1;
    job.interlaced = false;
}

// With more than one engine thread, the gathering's own decoder opens the file on a thread of its
// own while the page loads it: the two open the file independently.
class EarlyConnection {
public:
    explicit EarlyConnection(const std::string& path) {
        if (EngineThreadCount() < 2) {
            return;
        }
        try {
            opening_ = std::thread([this, path] { connected_ = grabbing_.Connect(path); });
        } catch (const std::system_error&) {
            // No thread: the gathering connects when it starts.
        }
    }
    ~EarlyConnection() { Wait(); }
    EarlyConnection(const EarlyConnection&) = delete;
    EarlyConnection& operator=(const EarlyConnection&) = delete;

    // The connected path; null when it was not opened early or could not be opened.
    GrabbingPath* Connected() {
        Wait();
        return connected_ ? &grabbing_ : nullptr;
    }

private:
    void Wait() {
        if (opening_.joinable()) {
            opening_.join();
        }
    }

    GrabbingPath grabbing_;
    std::thread opening_;
    bool connected_ = false;
};

// GatherFramesIntoJob over the path connected early, or (when null) over one connected here.
bool GatherIntoJob(EnhanceJob& job, GrabbingPath* connected, int64_t reference,
                   TimeFormat timeFormat, MessageSink& messages, bool fields) {
    std::vector<std::unique_ptr<RgbImage>> slots;
    for (int32_t i = 0; i < kEnhanceFramesWanted; ++i) {
        slots.push_back(std::make_unique<RgbImage>());
    }
    const GatherResult result = connected != nullptr
                                    ? GatherFramesFrom(*connected, kEnhanceFramesWanted, reference,
                                                       timeFormat, slots, messages, fields)
                                    : GatherFrames(job.videoPath, kEnhanceFramesWanted, reference,
                                                   timeFormat, slots, messages, fields);
    if (!result.ok || result.gathered < 1 || slots[0]->IsEmpty() ||
        slots[0]->BitsPerPixel() != 24) {
        ShowDebugMessage(messages, "%s", kCannotExtractText);
        return false;
    }
    ClearFrames(job);
    job.interlaced = fields;
    for (int32_t i = 0; i < result.gathered; ++i) {
        AddImage(job, std::move(slots[i]), FrameName(i), messages);
    }
    job.referenceIndex = result.referenceIndex;
    job.inputKind = kInputVideoGathered;
    return job.FrameCount() > 0;
}

}  // namespace

bool GatherFramesIntoJob(EnhanceJob& job, int64_t reference, TimeFormat timeFormat,
                         MessageSink& messages, bool fields) {
    return GatherIntoJob(job, nullptr, reference, timeFormat, messages, fields);
}

bool GatherFramesForEnhancement(VideoPageModel& page, EnhanceJob& job, MessageSink& messages) {
    if (!page.CanGather()) {
        return false;
    }
    if (page.Player().State() == kPlayerRunning) {
        page.PauseVideo();
    }
    int64_t reference = 0;
    page.CurrentPosition(reference);
    return GatherFramesIntoJob(job, reference, page.Format(), messages);
}

std::string VideoSizeRefusal(int32_t width, int32_t height, bool fields) {
    const int32_t imageWidth = width - width % 4;
    const int32_t imageHeight = fields ? height / 2 : height;
    if (RegistrationSizeSupported(imageWidth, imageHeight)) {
        return {};
    }
    const int32_t minWidth = (MinRegistrationWidth() + 3) / 4 * 4;
    const int32_t minHeight = MinRegistrationHeight();
    const std::string whole = SizeText(minWidth, minHeight);
    return "The video is " + SizeText(width, height) + " pixels, too small to enhance: its " +
           (fields ? "fields (" : "frames (") + SizeText(imageWidth, imageHeight) +
           ") are below the " + SizeText(MinRegistrationWidth(), minHeight) +
           " pixels the engine registers; a video must be at least " +
           (fields ? SizeText(minWidth, 2 * minHeight) + " pixels (" + whole + " with --no-fields)."
                   : whole + " pixels.");
}

std::string PositionRangeText(int64_t position, int64_t duration) {
    return "--at: " + std::to_string(position) + " is out of range (0 to " +
           std::to_string(duration) + ")";
}

bool GatherVideoFramesIntoJob(EnhanceJob& job, const std::string& path,
                              const VideoEnhanceOptions& options, MessageSink& messages,
                              std::string* refusal) {
    EarlyConnection early(path);
    VideoPageModel page;
    if (!LoadVideoPath(page, job, path, messages) || !page.CanGather()) {
        return false;
    }
    const std::string tooSmall = VideoSizeRefusal(job.width, job.height, options.fields);
    if (!tooSmall.empty()) {
        if (refusal != nullptr) {
            *refusal = tooSmall;
        }
        return false;
    }
    if (options.position && (*options.position < 0 || *options.position > page.Duration())) {
        if (refusal != nullptr) {
            *refusal = PositionRangeText(*options.position, page.Duration());
        }
        return false;
    }
    const int64_t reference = options.position.value_or(page.Duration() / 2);
    return GatherIntoJob(job, early.Connected(), reference, page.Format(), messages,
                         options.fields);
}

}  // namespace lumivex::video
