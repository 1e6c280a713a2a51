#include "engine/features.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/resample.h"
#include "tests/engine/test_pictures.h"

namespace lumivex::engine {
namespace {

using testing::NoisePicture;
using testing::TestPicture;

TEST(BlockGridTest, SizesOfA640By480Frame) {
    const BlockGrid grid = MakeBlockGrid(640, 480);
    EXPECT_EQ(grid.rows, 13);
    EXPECT_EQ(grid.cols, 17);
    EXPECT_EQ(grid.blockWidth, 33);
    EXPECT_EQ(grid.blockHeight, 31);
    EXPECT_EQ(grid.offsetX, (640 - 33 * 16) / 2);
    EXPECT_EQ(grid.offsetY, (480 - 31 * 12) / 2);
    // Portrait frames swap the counts.
    const BlockGrid portrait = MakeBlockGrid(480, 640);
    EXPECT_EQ(portrait.rows, 17);
    EXPECT_EQ(portrait.cols, 13);
}

TEST(BlockGridTest, EveryBlockWindowLiesInsideTheFrame) {
    for (const auto& [w, h] : {std::pair{41, 41}, std::pair{720, 288}, std::pair{100, 50},
                               std::pair{4000, 3000}, std::pair{41, 900}, std::pair{900, 41}}) {
        const BlockGrid g = MakeBlockGrid(w, h);
        ASSERT_GE(g.blockWidth, 1) << w << "x" << h;
        ASSERT_GE(g.blockHeight, 1) << w << "x" << h;
        EXPECT_GE(g.CentreColumn(0) - g.blockWidth, 0) << w << "x" << h;
        EXPECT_GE(g.CentreRow(0) - g.blockHeight, 0) << w << "x" << h;
        EXPECT_LE(g.CentreColumn(g.cols - 1) + g.blockWidth, w - 1) << w << "x" << h;
        EXPECT_LE(g.CentreRow(g.rows - 1) + g.blockHeight, h - 1) << w << "x" << h;
    }
}

TEST(SelectFeaturesTest, FlatReferenceTakesBlocksInReverseOrderAndKeepsTheirIndices) {
    TestPicture flat(640, 480, 90);
    const std::vector<FeaturePoint> points = SelectFeatures(flat.Plane());
    ASSERT_EQ(points.size(), 20u);
    // All interests are 0, so the list runs from the last block backwards; every other block of
    // rows 12 and 10 is taken (9 each), then columns 16 and 14 of row 8. No pixel scores above
    // 0, so each point keeps its block indices (x = column, y = row).
    std::vector<std::pair<int32_t, int32_t>> expected;
    for (const int32_t row : {12, 10}) {
        for (int32_t col = 16; col >= 0; col -= 2) {
            expected.emplace_back(col, row);
        }
    }
    expected.emplace_back(16, 8);
    expected.emplace_back(14, 8);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].x, expected[i].first) << i;
        EXPECT_EQ(points[i].y, expected[i].second) << i;
        EXPECT_EQ(points[i].dx, 0.0);
        EXPECT_EQ(points[i].dy, 0.0);
    }
}

TEST(SortBlocksTest, StrongestFirstAndLaterBlocksAheadOfEqualOnes) {
    PlaneBuffer<int32_t> interest(2, 3, 1);
    const int32_t values[] = {5, 9, 5, 1, 9, 0};
    std::copy(std::begin(values), std::end(values), interest.view().data);
    const std::vector<BlockScore> sorted = SortBlocks(interest.view());
    ASSERT_EQ(sorted.size(), 6u);
    const int32_t expectedRows[] = {1, 0, 0, 0, 1, 1};
    const int32_t expectedCols[] = {1, 1, 2, 0, 0, 2};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(sorted[i].row, expectedRows[i]) << i;
        EXPECT_EQ(sorted[i].col, expectedCols[i]) << i;
    }
}

TEST(SelectStrongestTest, OfTwoAdjacentTopBlocksOnlyTheFirstListedIsTaken) {
    const std::vector<BlockScore> sorted = {{4, 4, 100}, {5, 5, 99}, {3, 4, 98},
                                            {6, 4, 50},  {4, 6, 40}, {9, 9, 1}};
    const std::vector<BlockScore> taken = SelectStrongest(sorted);
    ASSERT_EQ(taken.size(), 20u);
    EXPECT_EQ(taken[0].col, 4);
    EXPECT_EQ(taken[1].col, 6);  // (5, 5) and (3, 4) touch (4, 4)
    EXPECT_EQ(taken[2].row, 6);
    EXPECT_EQ(taken[3].col, 9);
    for (size_t i = 4; i < taken.size(); ++i) {
        EXPECT_EQ(taken[i].col, 0);
        EXPECT_EQ(taken[i].row, 0);
    }
}

TEST(BlockInterestTest, StraightEdgesScoreZeroWhileTextureScores) {
    const BlockGrid grid = MakeBlockGrid(160, 120);
    TestPicture stripes(160, 120);
    for (int32_t r = 0; r < 120; ++r) {
        for (int32_t c = 0; c < 160; ++c) {
            std::fill_n(stripes.At(r, c), 3, static_cast<uint8_t>((c / 3) % 2 ? 220 : 30));
        }
    }
    const PlaneBuffer<int32_t> flatInterest =
        BlockInterest(DirectionalDifferences(stripes.Plane()), grid);
    TestPicture noise = NoisePicture(160, 120, 11);
    const PlaneBuffer<int32_t> noiseInterest =
        BlockInterest(DirectionalDifferences(noise.Plane()), grid);
    for (size_t i = 0; i < flatInterest.view().SampleCount(); ++i) {
        EXPECT_EQ(flatInterest.view().data[i], 0) << i;
        EXPECT_GT(noiseInterest.view().data[i], 0) << i;
    }
}

TEST(DirectionalDifferencesTest, FourDirectionsStoredPlaneAfterPlane) {
    TestPicture p(3, 2, 0);
    p.At(0, 1)[1] = 8;   // right of (0, 0): green difference 8 → 64 × 1 / 16 = 4
    p.At(1, 0)[0] = 12;  // below (0, 0): 144 / 16 = 9
    p.At(1, 1)[2] = 20;  // diagonal of (0, 0): 400 / 16 = 25
    const PlaneBuffer<int32_t> d = DirectionalDifferences(p.Plane());
    const int32_t* data = d.view().data;
    const int32_t plane = 6;
    EXPECT_EQ(data[0 * plane + 0], 4);
    EXPECT_EQ(data[1 * plane + 0], 9);
    EXPECT_EQ(data[2 * plane + 0], 25);
    EXPECT_EQ(data[3 * plane + 0], (144 + 64) / 16);  // below against right
    EXPECT_EQ(data[0 * plane + 2], 0);                // last column stays 0
    EXPECT_EQ(data[1 * plane + 3], 0);                // last row stays 0
}

TEST(SelectFeaturesTest, PicksTheTexturedPatchesOfAnOtherwiseFlatFrame) {
    TestPicture picture(320, 240, 128);
    const TestPicture noise = NoisePicture(320, 240, 21);
    // Two textured squares; every point must land in or next to one of them.
    for (int32_t r = 0; r < 240; ++r) {
        for (int32_t c = 0; c < 320; ++c) {
            const bool inA = r >= 40 && r < 100 && c >= 40 && c < 120;
            const bool inB = r >= 150 && r < 210 && c >= 200 && c < 290;
            if (inA || inB) {
                std::copy_n(noise.pixels.data() + (static_cast<size_t>(r) * 320 + c) * 3, 3,
                            picture.At(r, c));
            }
        }
    }
    Smooth2x2(picture.Plane());
    const std::vector<FeaturePoint> points = SelectFeatures(picture.Plane());
    int32_t inside = 0;
    for (const FeaturePoint& p : points) {
        const bool nearA = p.y >= 20 && p.y < 120 && p.x >= 20 && p.x < 140;
        const bool nearB = p.y >= 130 && p.y < 230 && p.x >= 180 && p.x < 310;
        inside += (nearA || nearB) ? 1 : 0;
    }
    // Blocks away from both squares have zero interest; only those taken after the textured
    // ones are exhausted may lie elsewhere.
    EXPECT_GE(inside, 8);
    EXPECT_TRUE(points[0].x >= 20 && points[0].y >= 20);
}

}  // namespace
}  // namespace lumivex::engine
