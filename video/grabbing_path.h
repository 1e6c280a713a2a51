// The hidden decoding path of a frame gathering: a decoder of its own, independent of the
// player, that is positioned once and then hands out one decoded frame per run request to a
// sample callback, as bottom-up 24-bit B, G, R rows.
//
// The frame is decoded on the caller's thread inside Run, so the wait that follows a run request
// has nothing left to wait for: it only reports whether the stream has ended. Every decoding
// call is bounded by the decoder's deadline and caps, so a stalled or broken stream ends the run
// instead of blocking it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "video/bgr_frame.h"
#include "video/time_format.h"

namespace lumivex::video {

class VideoDecoder;

class GrabbingPath {
public:
    // Called once per decoded frame with its presentation time (100-ns units), the pixel rows and
    // their byte count (padded stride x height).
    using SampleCallback =
        std::function<void(int64_t sampleTime, const uint8_t* buffer, int32_t length)>;

    GrabbingPath();
    ~GrabbingPath();
    GrabbingPath(const GrabbingPath&) = delete;
    GrabbingPath& operator=(const GrabbingPath&) = delete;

    // Opens the file and connects its video stream to the callback side. False when the file
    // cannot be read, holds no video stream or has no decoder.
    bool Connect(const std::string& path);
    // The same for a file held in memory.
    bool ConnectMemory(std::vector<uint8_t> bytes);
    // The connected picture size.
    bool ConnectedSize(int32_t& width, int32_t& height) const;
    void SetCallback(SampleCallback callback) { callback_ = std::move(callback); }

    // Frames are available only for streams with a constant frame rate.
    bool SetTimeFormat(TimeFormat format);
    bool GetDuration(int64_t& duration) const;
    // Positions the stream at current; frames after stop end the stream.
    bool SetPositions(int64_t current, int64_t stop);
    bool GetCurrentPosition(int64_t& position) const;

    // Decodes the next frame and hands it to the callback; at the end of the stream (or when the
    // stream breaks) nothing is delivered and the stream counts as complete.
    bool Run();
    bool Pause();
    // Reports kEventComplete in eventCode when the stream has ended, 0 when it is paused after a
    // frame. Never blocks longer than timeout.
    bool WaitForCompletion(std::chrono::milliseconds timeout, int32_t& eventCode);

    // Lowers the decoder's per-call time limit (tests).
    void SetCallTimeLimit(std::chrono::milliseconds limit);

private:
    std::unique_ptr<VideoDecoder> decoder_;
    SampleCallback callback_;
    BgrFrame frame_;  // decoded into again for every run, so its rows are allocated once
    TimeFormat format_ = TimeFormat::kMediaTime;
    int64_t stop_ = -1;  // -1: no stop position
    bool complete_ = false;
};

}  // namespace lumivex::video
