#include "video/split_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/parallel.h"

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

TEST(CopySplittingFields, PutsTheEvenRowsAboveTheOddOnes) {
    const struct {
        int32_t height;
        std::vector<int> order;  // the source row each row ends up holding
    } cases[] = {{8, {0, 2, 4, 6, 1, 3, 5, 7}}, {7, {0, 2, 4, 1, 3, 5, 6}}, {1, {0}}};
    for (const auto& c : cases) {
        const RgbImage source = NumberedRows(c.height);
        RgbImage copied(5, c.height, 24);
        CopySplittingFields(source.Bits(), static_cast<size_t>(source.Stride()) * c.height, copied);
        EXPECT_EQ(RowOrder(copied), c.order) << c.height;
    }
}

TEST(CopySplittingFields, LeavesWhatLiesPastTheLengthAlone) {
    const RgbImage source = NumberedRows(8);
    RgbImage copied(5, 8, 24);
    const size_t stride = static_cast<size_t>(copied.Stride());
    std::memset(copied.Bits(), 0xEE, stride * 8);
    // Stored rows 0, 1 and 2 whole (to rows 0, 4 and 1), and two bytes of row 3 (to row 5).
    CopySplittingFields(source.Bits(), stride * 3 + 2, copied);
    const std::vector<int> expected = {0, 2, 0xEE, 0xEE, 1, 3, 0xEE, 0xEE};
    for (int32_t y = 0; y < 8; ++y) {
        EXPECT_EQ(copied.Row(y)[0], expected[y]) << y;
        EXPECT_EQ(copied.Row(y)[stride - 1], y == 5 ? 0xEE : expected[y]) << y;
    }
}

TEST(CopySplittingFields, CopiesTheSameBytesOnAnyNumberOfThreads) {
    // Tall enough to be shared out over the threads; odd, and ending in a part of a row.
    const int32_t height = 301;
    RgbImage source(5, height, 24);
    const size_t stride = static_cast<size_t>(source.Stride());
    for (size_t i = 0; i < stride * height; ++i) {
        source.Bits()[i] = static_cast<uint8_t>(i * 7 / 3);
    }
    const size_t length = stride * (height - 2) + 4;
    std::vector<std::vector<uint8_t>> copies;
    for (const int threads : {1, 2, 4}) {
        SetEngineThreadCount(threads);
        RgbImage copied(5, height, 24);
        std::memset(copied.Bits(), 0xEE, stride * height);
        CopySplittingFields(source.Bits(), length, copied);
        copies.emplace_back(copied.Bits(), copied.Bits() + stride * height);
    }
    SetEngineThreadCount(0);
    EXPECT_EQ(copies[0], copies[1]);
    EXPECT_EQ(copies[0], copies[2]);
}

TEST(SplitFields, LeavesAnEmptyImageAlone) {
    RgbImage empty;
    SplitFields(empty);
    EXPECT_TRUE(empty.IsEmpty());
}

}  // namespace
}  // namespace lumivex::video
