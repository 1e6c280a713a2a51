#include "video/split_fields.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lumivex::video {
namespace {

// A picture whose every stored row is filled with its own row number.
RgbImage NumberedRows(int32_t height) {
    RgbImage image(5, height, 24);
    for (int32_t y = 0; y < height; ++y) {
        std::memset(image.Row(y), y, image.Stride());
    }
    return image;
}

std::vector<int> RowOrder(const RgbImage& image) {
    std::vector<int> rows;
    for (int32_t y = 0; y < image.Height(); ++y) {
        rows.push_back(image.Row(y)[0]);
        EXPECT_EQ(image.Row(y)[image.Stride() - 1], image.Row(y)[0]);
    }
    return rows;
}

TEST(SplitFields, EvenRowsFirstThenOddRows) {
    RgbImage image = NumberedRows(8);
    SplitFields(image);
    EXPECT_EQ(RowOrder(image), (std::vector<int>{0, 2, 4, 6, 1, 3, 5, 7}));
}

TEST(SplitFields, OddHeightKeepsTheLastRowLast) {
    RgbImage image = NumberedRows(7);
    SplitFields(image);
    EXPECT_EQ(RowOrder(image), (std::vector<int>{0, 2, 4, 1, 3, 5, 6}));
    RgbImage single = NumberedRows(1);
    SplitFields(single);
    EXPECT_EQ(RowOrder(single), std::vector<int>{0});
}

TEST(SplitFields, LeavesAnEmptyImageAlone) {
    RgbImage empty;
    SplitFields(empty);
    EXPECT_TRUE(empty.IsEmpty());
}

}  // namespace
}  // namespace lumivex::video
