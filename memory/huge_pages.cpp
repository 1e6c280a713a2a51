#include "memory/huge_pages.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace lumivex::memory {

PageSpan HugePageSpan(uintptr_t address, size_t bytes, size_t pageBytes) {
    // A buffer or a rounding that wraps past the end of memory leaves end, or hugeBegin, below
    // address: no span.
    const uintptr_t end = address + bytes;
    const uintptr_t hugeBegin = (address + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    if (hugeBegin < address || hugeBegin > end || end - hugeBegin < kHugePageBytes) {
        return {};
    }
    const uintptr_t begin = (address + pageBytes - 1) / pageBytes * pageBytes;
    const uintptr_t last = end / pageBytes * pageBytes;
    return {begin, static_cast<size_t>(last - begin)};
}

void AdviseHugePages(void* buffer, size_t bytes) {
#if defined(MADV_HUGEPAGE)
    static const auto pageBytes = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const PageSpan span = HugePageSpan(reinterpret_cast<uintptr_t>(buffer), bytes, pageBytes);
    if (span.bytes > 0) {
        // Refused advice (the feature compiled out, an old kernel) changes nothing.
        static_cast<void>(madvise(reinterpret_cast<void*>(span.begin), span.bytes, MADV_HUGEPAGE));
    }
#else
    static_cast<void>(buffer);
    static_cast<void>(bytes);
#endif
}

}  // namespace lumivex::memory
