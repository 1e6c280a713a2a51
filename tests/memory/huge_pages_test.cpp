#include "memory/huge_pages.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace lumivex::memory {
namespace {

// The advised span never leaves the buffer (advice on a neighbour's pages would change how they
// are backed), covers whole small pages only, and exists only when a whole aligned huge page
// fits inside: from exactly one huge page up, and not one byte below.
TEST(HugePageSpanTest, AdvisesWholePagesInsideTheBufferOnlyWhenAHugePageFits) {
    constexpr uintptr_t kHuge = kHugePageBytes;
    constexpr size_t kPage = 4096;
    struct Case {
        uintptr_t address;
        size_t bytes;
        uintptr_t begin;
        size_t spanBytes;
    };
    const Case cases[] = {
        {kHuge, kHuge, kHuge, kHuge},                                    // exactly one
        {kHuge, kHuge - 1, 0, 0},                                        // one byte short
        {kHuge + 16, 2 * kHuge, kHuge + kPage, 2 * kHuge - kPage},       // unaligned both ends
        {kHuge + 16, 2 * kHuge - 16, kHuge + kPage, 2 * kHuge - kPage},  // ends on a huge page
        {kHuge + 16, 2 * kHuge - 17, 0, 0},                              // a byte before it
        {kHuge, 0, 0, 0},
        {UINTPTR_MAX - 10, 100, 0, 0},      // would wrap past the end of memory
        {UINTPTR_MAX - 0x100, 0x50, 0, 0},  // its first huge page boundary wraps
    };
    for (const Case& c : cases) {
        const PageSpan span = HugePageSpan(c.address, c.bytes, kPage);
        EXPECT_EQ(span.begin, c.begin) << c.address << " + " << c.bytes;
        EXPECT_EQ(span.bytes, c.spanBytes) << c.address << " + " << c.bytes;
    }
}

}  // namespace
}  // namespace lumivex::memory
