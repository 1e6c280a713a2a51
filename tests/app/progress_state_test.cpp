#include "app/core/progress_state.h"

#include <gtest/gtest.h>

#include <limits>

namespace lumivex {
namespace {

TEST(ProgressPercentTest, RoundsToTheNearestPercent) {
    EXPECT_EQ(ProgressPercent(0, 0, 100), 0);
    EXPECT_EQ(ProgressPercent(100, 0, 100), 100);
    EXPECT_EQ(ProgressPercent(1, 0, 3), 33);  // 33.33
    EXPECT_EQ(ProgressPercent(2, 0, 3), 67);  // 66.67
    EXPECT_EQ(ProgressPercent(1, 0, 8), 13);  // 12.5 rounds up
    EXPECT_EQ(ProgressPercent(15, 10, 20), 50);
}

TEST(ProgressPercentTest, AnEmptyOrReversedRangeGivesZero) {
    EXPECT_EQ(ProgressPercent(5, 7, 7), 0);
    EXPECT_EQ(ProgressPercent(50, 100, 0), 0);
}

TEST(ProgressPercentTest, ExtremeRangesDoNotOverflow) {
    constexpr int32_t low = std::numeric_limits<int32_t>::min();
    constexpr int32_t high = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(ProgressPercent(high, low, high), 100);
    EXPECT_EQ(ProgressPercent(0, low, high), 50);
}

TEST(ProgressStateTest, CaptionChangesOnlyWithThePercentage) {
    ProgressState state;
    state.SetRange(0, 200, 1);
    ProgressState::Update first = state.SetPosition(1);  // 0.5 % rounds to 1 %
    EXPECT_TRUE(first.captionChanged);
    EXPECT_EQ(state.Caption(), "Progress [1%]");
    ProgressState::Update same = state.SetPosition(2);  // still 1 %
    EXPECT_FALSE(same.captionChanged);
    EXPECT_EQ(same.previousPosition, 1);
    EXPECT_EQ(state.Position(), 2);
    EXPECT_TRUE(state.SetPosition(100).captionChanged);
    EXPECT_EQ(state.Caption(), "Progress [50%]");
}

TEST(ProgressStateTest, ZeroPercentAtTheStartKeepsTheGivenCaption) {
    // The previous percentage starts at 0, so position 0 leaves the caption alone.
    ProgressState state;
    state.SetRange(0, 100, 1);
    EXPECT_FALSE(state.SetPosition(0).captionChanged);
    EXPECT_TRUE(state.Caption().empty());
}

TEST(ProgressStateTest, StartsWithItsDocumentedValues) {
    ProgressState state;
    EXPECT_EQ(state.Lower(), 0);
    EXPECT_EQ(state.Upper(), 100);
    EXPECT_EQ(state.Step(), 1);
    EXPECT_EQ(state.Title(), "Progress");
    EXPECT_FALSE(state.Cancelled());
    EXPECT_FALSE(state.Modal());
    state.Cancel();
    EXPECT_TRUE(state.Cancelled());
}

}  // namespace
}  // namespace lumivex
