#include "video/key_frame_index.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace lumivex::video {
namespace {

// Key frames every 12 frames of a 25-frame-per-second stream in 90 kHz units, at growing byte
// positions.
KeyFrameIndex TwelveFrameGroups(int count) {
    KeyFrameIndex index;
    for (int k = 0; k < count; ++k) {
        index.Add(48'600 + k * 12 * 3'600, 29 + k * 100'000);
    }
    return index;
}

TEST(KeyFrameIndex, NamesTheLastKeyFrameAtOrBeforeTheTargetPastTheFirst) {
    const KeyFrameIndex index = TwelveFrameGroups(3);
    const struct {
        int64_t timestamp;
        bool found;
        int64_t bytePosition;
    } cases[] = {
        {0, false, 0},                         // before the stream
        {48'600 + 11 * 3'600, false, 0},       // inside the first group: the start is the way in
        {48'600 + 12 * 3'600, true, 100'029},  // exactly on the second key frame
        {48'600 + 23 * 3'600, true, 100'029},
        {48'600 + 24 * 3'600, true, 200'029},
        {INT64_MAX, true, 200'029},  // past the end: the last key frame
    };
    for (const auto& c : cases) {
        int64_t bytePosition = -1;
        EXPECT_EQ(index.PositionBefore(c.timestamp, bytePosition), c.found) << c.timestamp;
        if (c.found) {
            EXPECT_EQ(bytePosition, c.bytePosition) << c.timestamp;
        }
    }
}

// Broken time stamps or positions make the whole index unusable until it is cleared.
TEST(KeyFrameIndex, AnEntryOutOfOrderEmptiesItForGood) {
    const std::pair<int64_t, int64_t> breakers[] = {
        {48'600 + 12 * 3'600, 300'000},  // the same time stamp again
        {48'600, 300'000},               // an earlier time stamp
        {48'600 + 40 * 3'600, 150'000},  // an earlier byte position
        {48'600 + 40 * 3'600, -1},       // no byte position
    };
    for (const auto& [timestamp, bytePosition] : breakers) {
        KeyFrameIndex index = TwelveFrameGroups(3);
        index.Add(timestamp, bytePosition);
        index.Add(48'600 + 48 * 3'600, 400'029);
        int64_t found = -1;
        EXPECT_FALSE(index.PositionBefore(INT64_MAX, found)) << timestamp << " " << bytePosition;
        index.Clear();
        index.Add(0, 0);
        index.Add(10, 10);
        EXPECT_TRUE(index.PositionBefore(10, found));
    }
}

}  // namespace
}  // namespace lumivex::video
