// Gathering a run of consecutive distinct frames around a position of a video, on a decoding path
// of its own (the player's position is neither read nor moved).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/message_sink.h"
#include "image/rgb_image.h"
#include "video/time_format.h"

namespace lumivex::video {

class GrabbingPath;

struct GatherResult {
    bool ok = false;             // false only when the file's video could not be connected
    int32_t gathered = 0;        // frames kept in slots[0 ... gathered - 1]
    int32_t referenceIndex = 0;  // the kept frame at the reference position
};

// One gathering: receives each decoded frame into the slot at index gathered.
class FrameGrabber {
public:
    FrameGrabber(GrabbingPath& path, std::vector<std::unique_ptr<RgbImage>>& slots,
                 MessageSink& messages)
        : path_(path), slots_(slots), messages_(messages) {}

    void SetFrameSize(int32_t width, int32_t height) {
        frameWidth_ = width;
        frameHeight_ = height;
    }
    // Each frame is stored as its two fields (the rows as SplitFields leaves them).
    void SetFields(bool fields) { fields_ = fields; }
    int32_t Gathered() const { return gathered_; }
    void SetGathered(int32_t gathered) { gathered_ = gathered; }

    // The sample callback: pauses the path and copies the frame into the current slot. 24-bit
    // rows are copied as they are, 32-bit rows are expanded; any other depth is reported.
    void BufferCB(int64_t sampleTime, const uint8_t* buffer, int32_t length);

    // True when slot i or slot j is missing or empty, or both hold the same pixel bytes.
    bool FramesEqual(int32_t i, int32_t j) const;

private:
    GrabbingPath& path_;
    std::vector<std::unique_ptr<RgbImage>>& slots_;
    MessageSink& messages_;
    int32_t frameWidth_ = 0;
    int32_t frameHeight_ = 0;
    int32_t gathered_ = 0;
    bool fields_ = false;
};

// Gathers up to wanted distinct consecutive frames of the video at path, starting (wanted - 1) / 2
// steps before reference (never before position 1), into slots[0 ...] (slots holds at least
// wanted entries, each an empty picture owned by the caller). Repeated frames are skipped, and so
// are the empty rounds after the end of the stream; the run gives up 3 x wanted steps past the
// reference or past the duration. When nothing at all was decoded, gathered is 1 and slots[0]
// stays empty: callers treat an empty first slot as a failed gathering. With fields, each kept
// frame is stored as its two fields, as SplitFields would leave it.
GatherResult GatherFrames(const std::string& path, int32_t wanted, int64_t reference,
                          TimeFormat timeFormat, std::vector<std::unique_ptr<RgbImage>>& slots,
                          MessageSink& messages, bool fields = false);

// The same over a path the caller has connected (a file in memory, for example).
GatherResult GatherFramesFrom(GrabbingPath& path, int32_t wanted, int64_t reference,
                              TimeFormat timeFormat, std::vector<std::unique_ptr<RgbImage>>& slots,
                              MessageSink& messages, bool fields = false);

// Step of the gathering estimate: one frame, or a thirtieth of a second in media time.
int64_t GatherStep(TimeFormat timeFormat);

}  // namespace lumivex::video
