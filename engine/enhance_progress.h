// The status and cancel pair shared by the thread that runs an enhancement and the thread that
// watches it. The engine writes only status and reads only cancel; the watcher does the reverse.
#pragma once

#include <atomic>
#include <cstdint>

namespace lumivex {

// Status values while running: percent done (0 … 100). Final values, written by RunEnhancement.
inline constexpr int32_t kEnhanceSucceeded = -100;
inline constexpr int32_t kEnhanceCancelled = -1;
inline constexpr int32_t kEnhanceFailed = -2;

struct EnhanceProgress {
    std::atomic<int32_t> status{0};
    std::atomic<bool> cancel{false};
};

}  // namespace lumivex
