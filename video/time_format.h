// The two units in which video positions, durations and steps are counted.
#pragma once

#include <cstdint>

namespace lumivex::video {

enum class TimeFormat : int32_t {
    kNone = 0,       // not settled (no video loaded)
    kFrames = 1,     // frame numbers, 0 = the first frame
    kMediaTime = 2,  // units of 100 ns from the start of the stream
};

inline constexpr int64_t kMediaTimeUnitsPerSecond = 10'000'000;

// The event a decoding path reports when its stream has played to the end.
inline constexpr int32_t kEventComplete = 1;

}  // namespace lumivex::video
