#include "video/video_page_model.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "video/debug_message.h"

namespace lumivex::video {

namespace {
constexpr int64_t kMediaStep = 2'500'000;  // a quarter of a second
}

int32_t SliderRangeFor(int64_t duration) {
    return static_cast<int32_t>(std::clamp<int64_t>(duration, 0, 1000));
}

int32_t SliderPageSize(int32_t sliderRange) {
    const int32_t pageSize = (sliderRange + 10) / 20;
    return pageSize == 0 ? 2 : pageSize;
}

int64_t SliderValueFor(int64_t position, int64_t duration, int32_t sliderRange) {
    return duration == 0 ? 0 : sliderRange * (position - 1) / duration;
}

int64_t PositionForSlider(int64_t value, int64_t duration, int32_t sliderRange) {
    // The top value (the range itself) would land one step past the end; it is the last position.
    return sliderRange == 0 ? 0 : std::min((value + 1) * duration / sliderRange, duration);
}

std::string PositionText(TimeFormat format, int64_t position, int64_t duration) {
    char text[128];
    if (format == TimeFormat::kMediaTime) {
        const auto seconds = [](int64_t value) { return static_cast<int64_t>(value * 1e-7); };
        const int64_t p = seconds(position);
        const int64_t d = seconds(duration);
        std::snprintf(text, sizeof text, "Time %02d:%02d:%02d of %02d:%02d:%02d",
                      static_cast<int>(p / 3600), static_cast<int>(p / 60 % 60),
                      static_cast<int>(p % 60), static_cast<int>(d / 3600),
                      static_cast<int>(d / 60 % 60), static_cast<int>(d % 60));
    } else {
        std::snprintf(text, sizeof text, "Frame %" PRId64 " of %" PRId64, position, duration);
    }
    return text;
}

int64_t StepTarget(TimeFormat format, int64_t position, int direction, int64_t duration) {
    const int64_t delta = format == TimeFormat::kFrames ? direction : direction * kMediaStep;
    int64_t target = position + delta;
    if (target <= 1) {
        target = 1;
    }
    if (target >= duration) {
        target = duration;
    }
    return target;
}

LoadOutcome VideoPageModel::Fail(EnhanceJob& job, MessageSink& messages, const char* text,
                                 const char* caption) {
    // The "Error" boxes carry the error icon; the debug box its information icon.
    const bool debugBox = std::string(caption) == kDebugMessageCaption;
    messages.ShowMessage(text, caption, debugBox ? MessageIcon::kInformation : MessageIcon::kError);
    CloseVideo();
    job.Reset();
    return LoadOutcome::kFailed;
}

LoadOutcome VideoPageModel::Load(EnhanceJob& job, MessageSink& messages) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(job.videoPath, error)) {
        return LoadOutcome::kNothingToLoad;
    }
    // Nothing of the previous video carries over: a layer that settles no time format must not
    // inherit the last one's.
    ready_ = false;
    timeFormat_ = TimeFormat::kNone;
    duration_ = 0;
    lastPosition_ = -1;
    if (!player_.Open(job.videoPath)) {
        return Fail(job, messages, kMediaNotSupportedText, kDebugMessageCaption);
    }
    PlaybackLayer& source = *player_.Source();
    job.inputKind = kInputVideoOpen;
    job.width = player_.Width();
    job.height = player_.Height();
    int64_t x = 0;
    int64_t y = 0;
    if (source.PreferredAspectRatio(x, y) && x > 0 && y > 0) {
        job.verticalFactor = job.mediaFactor = static_cast<double>(job.width) *
                                               static_cast<double>(y) / static_cast<double>(x) /
                                               static_cast<double>(job.height);
    }
    if (BelowMinimumSide(job.width, job.height, minimumSide_)) {
        return Fail(job, messages, kResolutionTooLowText, kErrorCaption);
    }
    // The sound is muted, the seeking checked and the time format in use read, as one chain.
    TimeFormat previous = TimeFormat::kNone;
    bool chain = source.SetVolume(-10000);
    const bool seekable = chain && source.CheckCapabilities(kCanSeekAbsolute | kCanGetDuration);
    chain = seekable && source.GetTimeFormat(previous);
    if (!source.SetTimeFormat(TimeFormat::kFrames) &&
        !source.SetTimeFormat(TimeFormat::kMediaTime) && chain) {
        chain = source.SetTimeFormat(previous);
    }
    if (chain) {
        source.GetTimeFormat(timeFormat_);
    }
    if ((timeFormat_ != TimeFormat::kFrames && timeFormat_ != TimeFormat::kMediaTime) ||
        !seekable) {
        return Fail(job, messages, kCannotDecodeText, kErrorCaption);
    }
    duration_ = 0;
    if (chain) {
        source.GetDuration(duration_);
    }
    ready_ = true;
    sliderRange_ = duration_ < 1000 ? static_cast<int32_t>(duration_) : 1000;

    // Show the first picture, then wait at the middle.
    if (showsPictures_) {
        int32_t event = 0;
        player_.Run();
        source.WaitForCompletion(std::chrono::milliseconds(100), event);
        player_.Pause();
        source.WaitForCompletion(std::chrono::milliseconds(100), event);
    }
    source.SetPositions(duration_ / 2);
    return LoadOutcome::kLoaded;
}

bool VideoPageModel::CurrentPosition(int64_t& position) const {
    const PlaybackLayer* source = player_.Source();
    return source != nullptr && source->GetCurrentPosition(position);
}

std::string VideoPageModel::StatusText() const {
    int64_t position = 0;
    if (!CurrentPosition(position)) {
        return {};
    }
    return PositionText(timeFormat_, position, duration_);
}

bool VideoPageModel::PositionTick(EnhanceJob& job, int64_t& sliderValue) {
    if (!player_.HasGraph() || duration_ == 0) {
        return false;
    }
    int64_t position = 1;
    CurrentPosition(position);
    const bool changed = position != lastPosition_;
    if (changed) {
        lastPosition_ = position;
        job.inputKind = kInputVideoOpen;
    }
    sliderValue = SliderValueFor(position, duration_, sliderRange_);
    return changed;
}

void VideoPageModel::SliderMoved(int64_t value) {
    if (!player_.HasGraph()) {
        return;
    }
    player_.Pause();
    player_.Source()->SetPositions(PositionForSlider(value, duration_, sliderRange_));
}

void VideoPageModel::Play() {
    if (player_.HasGraph()) {
        player_.Run();
    }
}

void VideoPageModel::Step(int direction) {
    if (!player_.HasGraph()) {
        return;
    }
    if (player_.State() == kPlayerRunning) {
        player_.Pause();
    }
    int64_t position = 0;
    if (CurrentPosition(position)) {
        player_.Source()->SetPositions(StepTarget(timeFormat_, position, direction, duration_));
    }
}

bool VideoPageModel::CanGather() const {
    return player_.HasGraph() && duration_ != 0;
}

namespace {

// Why a path the page would not load cannot be opened: it is missing, or not a file at all.
std::string UnopenableReason(const std::string& path) {
    struct stat status {};
    std::string reason = stat(path.c_str(), &status) != 0 ? std::strerror(errno)
                         : S_ISDIR(status.st_mode)        ? std::strerror(EISDIR)
                                                          : "not a regular file";
    reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason;
}

}  // namespace

bool LoadVideoPath(VideoPageModel& page, EnhanceJob& job, const std::string& path,
                   MessageSink& messages) {
    job.videoPath = path;
    job.inputKind = kInputVideoChosen;
    page.SetMinimumSide(1);
    page.SetShowsPictures(false);
    const LoadOutcome outcome = page.Load(job, messages);
    if (outcome == LoadOutcome::kNothingToLoad) {
        messages.ShowMessage("cannot be opened (" + UnopenableReason(path) + ")", {},
                             MessageIcon::kError);
    }
    return outcome == LoadOutcome::kLoaded;
}

}  // namespace lumivex::video
