// The decoding layer under the player, as the player and the page logic see it: open a file,
// its size and aspect, run and pause, capabilities, time format, duration, positions, absolute
// seek and the end-of-stream event. PlaybackSource implements it over the decoder; tests put a
// scripted layer in its place (VideoPlayer's LayerFactory).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "video/bgr_frame.h"
#include "video/time_format.h"

namespace lumivex::video {

// Seeking capabilities, as bits.
inline constexpr uint32_t kCanSeekAbsolute = 0x1;
inline constexpr uint32_t kCanSeekForwards = 0x2;
inline constexpr uint32_t kCanSeekBackwards = 0x4;
inline constexpr uint32_t kCanGetCurrentPos = 0x8;
inline constexpr uint32_t kCanGetDuration = 0x20;

// How the stream says its frames were scanned (in display order for interlaced ones).
enum class Interlacing : int32_t { kUnknown, kProgressive, kTopFieldFirst, kBottomFieldFirst };

// What a stream states about itself beyond its size and positions.
struct StreamFacts {
    int64_t frames = 0;         // number of frames; 0 when unknown
    int64_t mediaDuration = 0;  // in 100-ns units; 0 when unknown
    Interlacing interlacing = Interlacing::kUnknown;
};

class PlaybackLayer {
public:
    // Both may run on a thread of the layer; the receiver forwards them to its own thread.
    using PictureSink = std::function<void(const BgrFrame& picture)>;
    using EventNotify = std::function<void()>;

    PlaybackLayer() = default;
    virtual ~PlaybackLayer() = default;
    PlaybackLayer(const PlaybackLayer&) = delete;
    PlaybackLayer& operator=(const PlaybackLayer&) = delete;

    // Opens the file for playback, paused before the first frame. False when it has no playable
    // video.
    virtual bool Open(const std::string& path) = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual bool PreferredAspectRatio(int64_t& x, int64_t& y) const = 0;
    // What the open file states about its video stream; nothing known by default.
    virtual StreamFacts Facts() const { return {}; }

    // Set before Open.
    virtual void SetPictureSink(PictureSink sink) = 0;
    virtual void SetEventNotify(EventNotify notify) = 0;

    virtual bool Run() = 0;
    virtual bool Pause() = 0;
    virtual bool Stop() = 0;
    // Volume in hundredths of a decibel (-10000 = silent, 0 = full).
    virtual bool SetVolume(int32_t volume) = 0;
    virtual int32_t Volume() const = 0;

    // True only when every capability asked for is offered.
    virtual bool CheckCapabilities(uint32_t capabilities) const = 0;
    virtual bool GetTimeFormat(TimeFormat& format) const = 0;
    virtual bool SetTimeFormat(TimeFormat format) = 0;
    virtual bool GetDuration(int64_t& duration) const = 0;
    virtual bool GetCurrentPosition(int64_t& position) const = 0;
    // Absolute seek; the frame at the new position is shown even while paused.
    virtual bool SetPositions(int64_t current) = 0;

    // Waits up to timeout for the end of the stream; true with kEventComplete when it came.
    virtual bool WaitForCompletion(std::chrono::milliseconds timeout, int32_t& eventCode) = 0;
    // Takes the oldest queued event without waiting; false when none is queued.
    virtual bool GetEvent(int32_t& eventCode) = 0;
};

}  // namespace lumivex::video
