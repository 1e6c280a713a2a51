#include "video/gather_frames.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "video/debug_message.h"
#include "video/grabbing_path.h"
#include "video/split_fields.h"

namespace lumivex::video {

namespace {

// Positions beyond this are no position of any real video; keeping the arithmetic below it
// keeps every sum and difference of the loop inside 64 bits.
constexpr int64_t kLargestPosition = std::numeric_limits<int64_t>::max() / 4;

}  // namespace

void FrameGrabber::BufferCB(int64_t /*sampleTime*/, const uint8_t* buffer, int32_t length) {
    path_.Pause();
    if (gathered_ < 0 || gathered_ >= static_cast<int32_t>(slots_.size()) || !slots_[gathered_] ||
        frameWidth_ <= 0 || frameHeight_ <= 0 || length <= 0) {
        return;
    }
    RgbImage& slot = *slots_[gathered_];
    if (!slot.Allocate(frameWidth_, frameHeight_, 24)) {
        return;
    }
    const int32_t bits = length / frameWidth_ / frameHeight_ * 8;
    if (bits == 24) {
        // Never more than the slot holds, whatever the decoder delivered.
        const size_t capacity = static_cast<size_t>(slot.Stride()) * frameHeight_;
        const size_t bytes = std::min(capacity, static_cast<size_t>(length));
        if (fields_) {
            CopySplittingFields(buffer, bytes, slot);
        } else {
            std::memcpy(slot.Bits(), buffer, bytes);
        }
    } else if (bits == 32) {
        slot.ExpandPackedPixels(buffer, 0, 0, 0, 32);
        if (fields_) {
            SplitFields(slot);
        }
    } else {
        ShowDebugMessage(messages_, kBitsNotSupportedFormat, bits);
    }
}

bool FrameGrabber::FramesEqual(int32_t i, int32_t j) const {
    const auto count = static_cast<int32_t>(slots_.size());
    if (i < 0 || j < 0 || i >= count || j >= count || !slots_[i] || !slots_[j] ||
        slots_[i]->IsEmpty() || slots_[j]->IsEmpty()) {
        return true;
    }
    const RgbImage& a = *slots_[i];
    const RgbImage& b = *slots_[j];
    if (a.Stride() != b.Stride() || a.Height() != b.Height()) {
        return false;  // pictures of different sizes are never repeats
    }
    const size_t bytes = static_cast<size_t>(a.Stride()) * std::abs(a.Height());
    return std::memcmp(a.Bits(), b.Bits(), bytes) == 0;
}

int64_t GatherStep(TimeFormat timeFormat) {
    return timeFormat == TimeFormat::kFrames ? 1 : 333'333;
}

GatherResult GatherFrames(const std::string& path, int32_t wanted, int64_t reference,
                          TimeFormat timeFormat, std::vector<std::unique_ptr<RgbImage>>& slots,
                          MessageSink& messages, bool fields) {
    GrabbingPath grabbing;
    if (!grabbing.Connect(path)) {
        return {};
    }
    return GatherFramesFrom(grabbing, wanted, reference, timeFormat, slots, messages, fields);
}

GatherResult GatherFramesFrom(GrabbingPath& path, int32_t wanted, int64_t reference,
                              TimeFormat timeFormat, std::vector<std::unique_ptr<RgbImage>>& slots,
                              MessageSink& messages, bool fields) {
    if (wanted < 1 || static_cast<int32_t>(slots.size()) < wanted) {
        return {};
    }
    reference = std::clamp<int64_t>(reference, -kLargestPosition, kLargestPosition);
    FrameGrabber grabber(path, slots, messages);
    grabber.SetFields(fields);

    // The chain of settings: each is made only while every earlier one succeeded.
    int32_t width = 0;
    int32_t height = 0;
    int64_t duration = 0;
    bool chain = path.ConnectedSize(width, height);
    if (chain) {
        grabber.SetFrameSize(width, height);
        path.SetCallback([&grabber](int64_t time, const uint8_t* buffer, int32_t length) {
            grabber.BufferCB(time, buffer, length);
        });
    }
    chain = chain && path.SetTimeFormat(timeFormat) && path.GetDuration(duration);
    duration = std::min(duration, kLargestPosition);

    const int64_t step = GatherStep(timeFormat);
    const int64_t half = (wanted - 1) / 2;
    int64_t start = std::max<int64_t>(reference - step * half, 1);
    GatherResult result{true, 0, 0};
    if (chain) {
        path.SetPositions(start, duration);
    }
    while (grabber.Gathered() < wanted) {
        int32_t event = 0;
        int64_t position = 0;
        if (path.GetCurrentPosition(position) && path.Run() &&
            path.WaitForCompletion(std::chrono::seconds(10), event)) {
            path.GetCurrentPosition(position);
        }
        // A round after the end of the stream delivers nothing: the slot stays empty, which
        // counts as a repeat of the previous frame, so the reference estimate still lands on the
        // last kept frame. The loop ends once start passes the duration.
        const int32_t gathered = grabber.Gathered();
        if (std::llabs(start - reference) < step / 2 + 1) {
            result.referenceIndex = gathered;
        }
        if (gathered > 0 && grabber.FramesEqual(gathered - 1, gathered)) {
            // A repeat of the previous frame: its slot is refilled by the next frame.
            if (result.referenceIndex == gathered) {
                result.referenceIndex = gathered - 1;
            }
        } else {
            grabber.SetGathered(gathered + 1);
        }
        if ((start - reference) / step > 3 * int64_t{wanted}) {
            break;
        }
        start += step;
        if (start > duration) {
            break;
        }
    }
    result.gathered = grabber.Gathered();
    return result;
}

}  // namespace lumivex::video
