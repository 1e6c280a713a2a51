// The decoding core under both video paths: one opened file (or in-memory file), its first video
// stream and its decoder. It answers the facts the player and the gathering need (native size,
// preferred aspect, frame rate, duration, seekability), seeks frame-accurately and hands out the
// following frames one at a time as BgrFrame pictures.
//
// Every call is bounded: a wall-clock deadline interrupts blocking reads, and every decoding loop
// has a cap on the packets and frames it may consume, so a broken or truncated file ends a call
// with kEnd or kError instead of hanging it. Not thread-safe; one thread uses it at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "video/av_owners.h"
#include "video/bgr_frame.h"
#include "video/key_frame_index.h"
#include "video/playback_layer.h"
#include "video/time_format.h"

namespace lumivex::video {

class MemoryInput;

enum class DecodeStatus { kFrame, kEnd, kError };

class VideoDecoder {
public:
    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens the file's first usable video stream and its decoder. False (with error set) for a
    // missing or unreadable file, an unknown format, no video stream or no decoder.
    bool OpenFile(const std::string& path, std::string* error);
    // The same over a file held in memory.
    bool OpenMemory(std::vector<uint8_t> bytes, std::string* error);
    void Close();
    bool IsOpen() const { return codec_ != nullptr; }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // The picture's display aspect ratio x : y when the stream states its pixel aspect; false
    // when it says nothing.
    bool PreferredAspectRatio(int64_t& x, int64_t& y) const;
    // True when the stream has a usable constant frame rate, so positions can count frames.
    bool HasFrameTimeFormat() const { return frameRate_.num > 0; }
    bool IsSeekable() const { return seekable_; }
    // Duration in the given format; 0 when unknown.
    int64_t Duration(TimeFormat format) const;
    // Number of frames: from the container, counted at opening, or estimated from the duration
    // of a constant-rate stream; 0 when unknown.
    int64_t FrameCount() const;
    // The scan the stream states (its field order).
    Interlacing Scan() const;

    // Positions the stream so that the next ReadFrame returns the frame shown at position (the
    // first frame at or after it when position falls between frames). Decodes from the key frame
    // before the target. False when the stream cannot be positioned at all; a position past the
    // end succeeds and the next ReadFrame reports kEnd.
    bool SeekTo(int64_t position, TimeFormat format);
    // The next frame in display order, converted to bottom-up 24-bit BGR of Width() x Height();
    // a frame that already holds a buffer of that size is written into it.
    DecodeStatus ReadFrame(BgrFrame& frame);
    // Position of the frame last returned by ReadFrame, or the target of the last SeekTo.
    int64_t Position(TimeFormat format) const;

    // Limits of one call; tests lower them to prove the bounds.
    void SetCallTimeLimit(std::chrono::milliseconds limit) { callLimit_ = limit; }

private:
    bool OpenInput(AVFormatContext* context, const char* url, std::string* error);
    bool OpenStream(std::string* error);
    void ArmDeadline();
    bool Expired() const;
    static int InterruptCallback(void* opaque);

    DecodeStatus DecodeNext(AVFrame* frame);
    bool RewindToStart();
    void CountFrames();
    void KeepPalette();
    void AlignReorderedTimestamps();
    void CarryPalette(AVPacket* packet);
    bool SeekBefore(int64_t timestamp);
    bool SeeksByBytes() const;
    enum class Approach { kFound, kTooLate, kEnded, kFailed };
    Approach ApproachFromIndexedKeyFrame(int64_t position, TimeFormat format);
    bool Settle(Approach approach, int64_t position, TimeFormat format);
    Approach DecodeUpTo(int64_t position, TimeFormat format, bool needKeyFrame);
    Approach TakeCandidate();
    void FlushDecoder();
    int64_t FrameIndexOf(int64_t timestamp) const;
    int64_t MediaTimeOf(int64_t timestamp) const;
    int64_t TimestampOf(int64_t position, TimeFormat format) const;
    void Stamp(const AVFrame* frame);
    bool Convert(const AVFrame* source, BgrFrame& frame);

    std::unique_ptr<MemoryInput> memory_;  // declared before format_: outlives it
    FormatContextPtr format_;
    CodecContextPtr codec_;
    PacketPtr packet_;
    FramePtr pending_;  // a decoded frame SeekTo found and ReadFrame has not returned yet
    bool hasPending_ = false;
    FramePtr candidate_;  // media-time seeks: the latest frame starting at or before the target
    FramePtr lookahead_;  // the frame decoded after the candidate, returned next
    bool hasLookahead_ = false;
    bool draining_ = false;
    ScaleContextPtr scaler_;
    std::vector<uint8_t> scratch_;  // the scaler's padded top-down output
    std::vector<uint8_t> palette_;  // a palette stream's colours, as its first packet gave them

    int streamIndex_ = -1;
    AVRational timeBase_{0, 1};
    AVRational frameRate_{0, 1};
    int64_t startTimestamp_ = 0;
    int64_t reorderShift_ = 0;  // how late reordered frames are stamped (AlignReorderedTimestamps)
    int32_t width_ = 0;         // the picture as shown, after turns_
    int32_t height_ = 0;
    int32_t codedWidth_ = 0;  // the picture as decoded
    int32_t codedHeight_ = 0;
    int turns_ = 0;  // quarter turns clockwise the stream asks to be shown with
    bool seekable_ = false;
    int64_t countedFrames_ = 0;  // frames counted at opening; 0 = not counted
    KeyFrameIndex keyFrames_;    // filled while counting
    int64_t lastFrameIndex_ = -1;
    int64_t lastMediaTime_ = 0;

    std::chrono::milliseconds callLimit_{std::chrono::seconds(20)};
    std::chrono::steady_clock::time_point deadline_{};
};

}  // namespace lumivex::video
