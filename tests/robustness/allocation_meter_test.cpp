// The meter the memory checks rely on: under the sanitizers it must see allocations, or every
// memory bound in this folder would pass without measuring anything.
#include "tests/robustness/allocation_meter.h"

#include <gtest/gtest.h>

#include <memory>

namespace lumivex::robustness {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(AllocationMeter, SeesPeakLargestAndFreedBytes) {
    if (!kSanitized && !AllocationMeter::Available())
        GTEST_SKIP() << "no sanitizer allocator hooks in this build";
    ASSERT_TRUE(AllocationMeter::Available());
    AllocationMeter meter;
    {
        auto big = std::make_unique<char[]>(3 << 20);
        auto small = std::make_unique<char[]>(1 << 20);
        big[0] = small[0] = 1;
    }
    EXPECT_GE(meter.PeakBytes(), 4 << 20);
    EXPECT_GE(meter.LargestBlock(), 3 << 20);
    EXPECT_LT(meter.LargestBlock(), 4 << 20);
    EXPECT_LE(meter.LiveBytes(), 1024);
}

}  // namespace
}  // namespace lumivex::robustness
