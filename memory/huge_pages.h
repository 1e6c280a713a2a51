// Large working buffers on transparent huge pages: one page fault then maps 2 MiB instead of
// 4 KiB, and the address translation caches cover more of a plane. It is only advice: where the
// kernel has the feature off, or cannot find a huge page, the memory behaves the same.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumivex::memory {

inline constexpr size_t kHugePageBytes = size_t{2} << 20;

struct PageSpan {
    uintptr_t begin = 0;
    size_t bytes = 0;
};

// The part of [address, address + bytes) worth advising: whole pages of pageBytes, and only when
// they hold at least one whole huge page (kHugePageBytes, aligned); empty otherwise.
PageSpan HugePageSpan(uintptr_t address, size_t bytes, size_t pageBytes);

// Asks for huge pages over the buffer's HugePageSpan, before it is first touched.
void AdviseHugePages(void* buffer, size_t bytes);

}  // namespace lumivex::memory
