// Everything of the "Video" page below its widgets: loading a video into the job with its checks
// and messages, the time format, the status text, the reference sliders' arithmetic, stepping,
// and the two gatherings (frame extraction and the frames of an enhancement). The widget owns one
// model, draws the player's pictures, drives the timers and calls these operations.
#pragma once

#include <cstdint>
#include <string>

#include "image/message_sink.h"
#include "job/job.h"
#include "video/time_format.h"
#include "video/video_player.h"

namespace lumivex::video {

inline constexpr const char* kResolutionTooLowText =
    "The resolution of the input media is too low. Lumivex cannot enhance the input media.";
inline constexpr const char* kCannotDecodeText =
    "The video cannot be properly decoded by Lumivex. ";
inline constexpr const char* kErrorCaption = "Error";
inline constexpr int32_t kMinimumVideoSide = 100;

// True when a video of width x height is smaller than side on either axis (the "Video" page
// refuses it with kResolutionTooLowText at the default side).
inline bool BelowMinimumSide(int32_t width, int32_t height, int32_t side = kMinimumVideoSide) {
    return width < side || height < side;
}

// Upper end of the reference sliders: the duration, at most 1000.
int32_t SliderRangeFor(int64_t duration);
// Page size of the sliders: range / 20 rounded to nearest; 0 becomes 2.
int32_t SliderPageSize(int32_t sliderRange);
// Slider value of a play position: range x (position - 1) / duration, truncated (0 for no
// duration).
int64_t SliderValueFor(int64_t position, int64_t duration, int32_t sliderRange);
// Play position of a slider value (0 ... range): (value + 1) x duration / range, truncated, and
// never past the duration.
int64_t PositionForSlider(int64_t value, int64_t duration, int32_t sliderRange);
// "Frame %I64d of %I64d", or the time text "Time %02d:%02d:%02d of %02d:%02d:%02d" in media time.
std::string PositionText(TimeFormat format, int64_t position, int64_t duration);
// Target of a step by direction (+1 or -1): one frame, or a quarter of a second in media time,
// kept within 1 ... duration.
int64_t StepTarget(TimeFormat format, int64_t position, int direction, int64_t duration);

enum class LoadOutcome {
    kNothingToLoad,  // the job's path names no file (or a folder): nothing done, no message
    kLoaded,
    kFailed,  // the message was shown, the video closed and the job reset
};

class VideoPageModel {
public:
    VideoPageModel() = default;
    // The page over another decoding layer (a scripted one in tests).
    explicit VideoPageModel(VideoPlayer::LayerFactory makeLayer) : player_(std::move(makeLayer)) {}

    VideoPlayer& Player() { return player_; }
    const VideoPlayer& Player() const { return player_; }

    // Opens job.videoPath: checks the file, the picture size and the seeking, settles the time
    // format and the duration, and writes input kind 4, width, height and both factors into the
    // job. Every failure shows its message, closes the video and resets the job. Ends paused at
    // the middle of the video (a page that shows no pictures is never played: it ends at the
    // middle as it was opened).
    LoadOutcome Load(EnhanceJob& job, MessageSink& messages);
    // The smallest width and height Load accepts (kMinimumVideoSide unless changed).
    void SetMinimumSide(int32_t side) { minimumSide_ = side; }
    // False for a page nobody looks at: Load then goes straight to the middle without playing
    // the first picture and waiting for it.
    void SetShowsPictures(bool shows) { showsPictures_ = shows; }
    void CloseVideo() { player_.CloseFile(); }
    bool VideoLoaded() const { return player_.HasGraph(); }

    bool Ready() const { return ready_; }
    int64_t Duration() const { return duration_; }
    TimeFormat Format() const { return timeFormat_; }
    int32_t SliderRange() const { return sliderRange_; }
    // The play position; false without a seekable video.
    bool CurrentPosition(int64_t& position) const;
    // The status text for the current position; empty without a seekable video.
    std::string StatusText() const;

    // Position tick: when the position changed since the last tick, sets the job back to input
    // kind 4 (frames gathered earlier no longer apply) and returns true. sliderValue receives the
    // sliders' value for the position. Nothing without a seekable video of non-zero duration.
    bool PositionTick(EnhanceJob& job, int64_t& sliderValue);
    // The user moved a reference slider to value: pause and seek.
    void SliderMoved(int64_t value);
    void Play();
    void PauseVideo() { player_.Pause(); }
    // Step backward (-1) or forward (+1), only while a video is open.
    void Step(int direction);
    // Extraction is offered while a seekable video of non-zero duration is loaded.
    bool CanGather() const;

private:
    LoadOutcome Fail(EnhanceJob& job, MessageSink& messages, const char* text, const char* caption);

    VideoPlayer player_;
    int64_t duration_ = 0;
    TimeFormat timeFormat_ = TimeFormat::kNone;
    int32_t sliderRange_ = 100;
    int32_t minimumSide_ = kMinimumVideoSide;
    bool showsPictures_ = true;
    bool ready_ = false;
    int64_t lastPosition_ = -1;
};

// Loads path into page for the command-line front end: input kind 3 with that path, then Load
// with no lower bound on the picture size (the commands apply their own) and no picture shown. A
// path that names no file, or something that is not a file, is reported as "cannot be opened
// (no such file or directory)" (the system's reason, or "not a regular file"). True when the
// video is loaded.
bool LoadVideoPath(VideoPageModel& page, EnhanceJob& job, const std::string& path,
                   MessageSink& messages);

}  // namespace lumivex::video
