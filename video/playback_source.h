// The playback path of the player: one decoder running on a thread of its own, paced by the
// frames' presentation times, handing each picture to the user-interface side, with run, pause,
// absolute seek, positions and duration in frames or 100-ns units, and an end-of-stream event.
//
// Every call returns promptly: commands are passed to the decoding thread, which decodes with the
// decoder's bounded calls; the only waits (WaitForCompletion, closing) are bounded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "video/bgr_frame.h"
#include "video/playback_layer.h"
#include "video/time_format.h"

namespace lumivex::video {

class VideoDecoder;

class PlaybackSource final : public PlaybackLayer {
public:
    // Pictures and the event notification come on the decoding thread.
    PlaybackSource();
    ~PlaybackSource() override;
    PlaybackSource(const PlaybackSource&) = delete;
    PlaybackSource& operator=(const PlaybackSource&) = delete;

    // Opens the file for playback (paused before the first frame) and starts the decoding
    // thread. False when the file has no playable video.
    bool Open(const std::string& path) override;
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    bool PreferredAspectRatio(int64_t& x, int64_t& y) const override;
    StreamFacts Facts() const override { return facts_; }

    // Set before Run; not changed while the thread runs.
    void SetPictureSink(PictureSink sink) override;
    void SetEventNotify(EventNotify notify) override;

    bool Run() override;
    bool Pause() override;
    bool Stop() override;
    // Volume in hundredths of a decibel (-10000 = silent, 0 = full). There is no sound output;
    // the value is kept for the caller.
    bool SetVolume(int32_t volume) override;
    int32_t Volume() const override;

    // True only when every capability asked for is offered.
    bool CheckCapabilities(uint32_t capabilities) const override;
    bool GetTimeFormat(TimeFormat& format) const override;
    // Frames are available only for streams with a constant frame rate.
    bool SetTimeFormat(TimeFormat format) override;
    bool GetDuration(int64_t& duration) const override;
    bool GetCurrentPosition(int64_t& position) const override;
    // Absolute seek; the frame at the new position is shown even while paused.
    bool SetPositions(int64_t current) override;

    // Waits up to timeout for the end of the stream; true with kEventComplete when it came.
    bool WaitForCompletion(std::chrono::milliseconds timeout, int32_t& eventCode) override;
    // Takes the oldest queued event without waiting; false when none is queued.
    bool GetEvent(int32_t& eventCode) override;

private:
    void DecodingLoop();
    void ShowFrameAt(int64_t position, TimeFormat format);
    void PlayNextFrame(std::unique_lock<std::mutex>& lock);

    std::unique_ptr<VideoDecoder> decoder_;  // used by the decoding thread only, once it runs
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool hasAspect_ = false;
    int64_t aspectX_ = 0;
    int64_t aspectY_ = 0;
    bool frameFormatAvailable_ = false;
    bool seekable_ = false;
    int64_t durationFrames_ = 0;
    int64_t durationMedia_ = 0;
    StreamFacts facts_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;      // commands for the decoding thread
    std::condition_variable finished_;  // end of stream, for WaitForCompletion
    PictureSink pictureSink_;
    EventNotify eventNotify_;
    TimeFormat format_ = TimeFormat::kMediaTime;
    bool running_ = false;
    bool ended_ = false;
    bool quit_ = false;
    bool seekPending_ = false;
    int64_t seekTarget_ = 0;  // in seekFormat_
    TimeFormat seekFormat_ = TimeFormat::kMediaTime;
    int64_t positionFrames_ = 0;
    int64_t positionMedia_ = 0;
    bool clockSet_ = false;
    std::chrono::steady_clock::time_point clockStart_{};
    int64_t clockMediaStart_ = 0;
    int32_t volume_ = 0;
    std::deque<int32_t> events_;
    std::thread thread_;
};

}  // namespace lumivex::video
