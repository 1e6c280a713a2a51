#include "engine/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "tests/engine/test_pictures.h"

namespace lumivex::engine {
namespace {

using testing::NoisePicture;
using testing::TestPicture;

// The four taps of a weight function at t add up to 1 for every t in [0, 1).
void ExpectPartitionOfUnity(float (*weight)(int32_t, float)) {
    for (float t = 0.0f; t < 1.0f; t += 0.0625f) {
        float sum = 0.0f;
        for (int32_t tap = -1; tap <= 2; ++tap) {
            sum += weight(tap, t);
        }
        EXPECT_NEAR(sum, 1.0f, 1e-6f) << "t = " << t;
    }
}

TEST(CubicWeightTest, MatchesTheCatmullRomTableAndSumsToOne) {
    // t = 0.25: (−t³ + 2t² − t)/2 = −0.0703125, (3t³ − 5t² + 2)/2 = 0.8671875,
    // (−3t³ + 4t² + t)/2 = 0.2265625, (t³ − t²)/2 = −0.0234375.
    EXPECT_FLOAT_EQ(CubicWeight(-1, 0.25f), -0.0703125f);
    EXPECT_FLOAT_EQ(CubicWeight(0, 0.25f), 0.8671875f);
    EXPECT_FLOAT_EQ(CubicWeight(1, 0.25f), 0.2265625f);
    EXPECT_FLOAT_EQ(CubicWeight(2, 0.25f), -0.0234375f);
    EXPECT_EQ(CubicWeight(3, 0.25f), 0.0f);
    EXPECT_EQ(CubicWeight(-2, 0.25f), 0.0f);
    // At t = 0 the sample is exact: weights 0, 1, 0, 0.
    EXPECT_EQ(CubicWeight(-1, 0.0f), 0.0f);
    EXPECT_EQ(CubicWeight(0, 0.0f), 1.0f);
    EXPECT_EQ(CubicWeight(1, 0.0f), 0.0f);
    ExpectPartitionOfUnity(CubicWeight);
}

TEST(BSplineWeightTest, MatchesTheUniformBSplineTableAndSumsToOne) {
    // t = 0.5: 1/48, 23/48, 23/48, 1/48.
    EXPECT_FLOAT_EQ(BSplineWeight(-1, 0.5f), 1.0f / 48.0f);
    EXPECT_FLOAT_EQ(BSplineWeight(0, 0.5f), 23.0f / 48.0f);
    EXPECT_FLOAT_EQ(BSplineWeight(1, 0.5f), 23.0f / 48.0f);
    EXPECT_FLOAT_EQ(BSplineWeight(2, 0.5f), 1.0f / 48.0f);
    // t = 0: 1/6, 4/6, 1/6, 0 (the B-spline smooths even at whole positions).
    EXPECT_FLOAT_EQ(BSplineWeight(-1, 0.0f), 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(BSplineWeight(0, 0.0f), 4.0f / 6.0f);
    EXPECT_FLOAT_EQ(BSplineWeight(1, 0.0f), 1.0f / 6.0f);
    EXPECT_EQ(BSplineWeight(2, 0.0f), 0.0f);
    EXPECT_EQ(BSplineWeight(5, 0.3f), 0.0f);
    ExpectPartitionOfUnity(BSplineWeight);
}

TEST(ResampleCubicTest, OntoTheSameSizeCopiesExceptTheClampedBorderBands) {
    TestPicture src = NoisePicture(23, 17, 5);
    TestPicture dst(23, 17);
    ResampleCubic(dst.Plane(), src.Plane());
    for (int32_t r = 0; r < 17; ++r) {
        // Rows below 1 clamp to 1, rows beyond rows − 3 clamp to rows − 3; columns likewise.
        const int32_t sr = std::clamp(r, 1, 17 - 3);
        for (int32_t c = 0; c < 23; ++c) {
            const int32_t sc = std::clamp(c, 1, 23 - 3);
            for (int32_t ch = 0; ch < 3; ++ch) {
                ASSERT_EQ(dst.At(r, c)[ch], src.At(sr, sc)[ch]) << r << "," << c;
            }
        }
    }
}

TEST(ResampleCubicTest, ConstantPlaneStaysConstantAtAnyScale) {
    TestPicture src(10, 8, 77);
    for (const auto& [w, h] : {std::pair{20, 16}, std::pair{7, 5}, std::pair{33, 9}}) {
        TestPicture dst(w, h);
        ResampleCubic(dst.Plane(), src.Plane());
        EXPECT_EQ(dst.pixels, std::vector<uint8_t>(dst.pixels.size(), 77)) << w << "x" << h;
    }
}

TEST(ResampleNearestTest, PicksTheRoundedSourcePosition) {
    TestPicture src = NoisePicture(4, 3, 9);
    TestPicture dst(8, 6);
    ResampleNearest(dst.Plane(), src.Plane());
    // Destination j samples source min(trunc(j × 0.5 + 0.5), 3): 0, 1, 1, 2, 2, 3, 3, 3.
    const int32_t cols[] = {0, 1, 1, 2, 2, 3, 3, 3};
    const int32_t rows[] = {0, 1, 1, 2, 2, 2};
    for (int32_t r = 0; r < 6; ++r) {
        for (int32_t c = 0; c < 8; ++c) {
            for (int32_t ch = 0; ch < 3; ++ch) {
                ASSERT_EQ(dst.At(r, c)[ch], src.At(rows[r], cols[c])[ch]) << r << "," << c;
            }
        }
    }
}

TEST(WarpToFrameTest, WholePixelShiftMovesThePictureAndRepeatsTheBorderBand) {
    TestPicture src = NoisePicture(20, 16, 3);
    TestPicture dst(20, 16);
    WarpToFrame(dst.Plane(), src.Plane(), {0, 0, 2, 0, 0, -1});
    for (int32_t r = 0; r < 16; ++r) {
        for (int32_t c = 0; c < 20; ++c) {
            const int32_t sr = std::clamp(r - 1, 1, 13);
            const int32_t sc = std::clamp(c + 2, 1, 17);
            ASSERT_EQ(dst.At(r, c)[1], src.At(sr, sc)[1]) << r << "," << c;
        }
    }
}

TEST(WarpToGridTest, PositionsExactlyOnTheLimitsAreSampledOthersMarkedOutside) {
    TestPicture src = NoisePicture(12, 10, 4);
    TestPicture dst(12, 10, 200);
    std::vector<uint8_t> outside(12 * 10, 9);
    // x' = j + 1, y' = i − 2: column 0 lands exactly on 1, column 8 exactly on cols − 3 = 9;
    // row 3 lands on 1, row 9 on rows − 3 = 7.
    WarpToGrid(dst.Plane(), src.Plane(), outside.data(), {0, 0, 1, 0, 0, -2});
    for (int32_t r = 0; r < 10; ++r) {
        for (int32_t c = 0; c < 12; ++c) {
            const bool inside = c + 1 <= 9 && r - 2 >= 1 && r - 2 <= 7;
            ASSERT_EQ(outside[r * 12 + c], inside ? 0 : 1) << r << "," << c;
            if (inside) {
                ASSERT_EQ(dst.At(r, c)[2], src.At(r - 2, c + 1)[2]) << r << "," << c;
            } else {
                ASSERT_EQ(dst.At(r, c)[2], 200) << "an outside pixel keeps what it held";
            }
        }
    }
}

TEST(Smooth2x2Test, ConstantStaysConstantAndAnImpulseSpreadsSymmetrically) {
    TestPicture flat(9, 7, 131);
    Smooth2x2(flat.Plane());
    EXPECT_EQ(flat.pixels, std::vector<uint8_t>(flat.pixels.size(), 131));

    // An impulse of 160: the forward box spreads it over (r−1…r, c−1…c), the backward box
    // over (r−1…r+1, c−1…c+1), with weights 1 2 1 / 2 4 2 / 1 2 1 × 10.
    TestPicture impulse(9, 9, 0);
    impulse.At(4, 4)[0] = 255;
    impulse.At(4, 4)[1] = 160;
    Smooth2x2(impulse.Plane());
    EXPECT_EQ(impulse.At(4, 4)[1], 40);
    EXPECT_EQ(impulse.At(3, 4)[1], 20);
    EXPECT_EQ(impulse.At(5, 4)[1], 20);
    EXPECT_EQ(impulse.At(4, 3)[1], 20);
    EXPECT_EQ(impulse.At(4, 5)[1], 20);
    EXPECT_EQ(impulse.At(3, 3)[1], 10);
    EXPECT_EQ(impulse.At(5, 5)[1], 10);
    EXPECT_EQ(impulse.At(2, 4)[1], 0);
}

TEST(HalvePlaneTest, FiveByFiveGivesTwoByTwoRoundedBlockMeans) {
    TestPicture src(5, 5);
    for (int32_t r = 0; r < 5; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            src.At(r, c)[0] = static_cast<uint8_t>(10 * r + c);
            src.At(r, c)[1] = static_cast<uint8_t>(r == 4 || c == 4 ? 255 : 1);
            src.At(r, c)[2] = static_cast<uint8_t>((r + c) % 2);
        }
    }
    const PlaneBuffer<uint8_t> half = HalvePlane(src.Plane());
    const BytePlane h = half.view();
    ASSERT_EQ(h.rows, 2);
    ASSERT_EQ(h.cols, 2);
    ASSERT_EQ(h.channels, 3);
    // Block (0, 0): 0 + 1 + 10 + 11 = 22, (22 + 2) / 4 = 6. Block (1, 1): 22 + 23 + 32 + 33.
    EXPECT_EQ(h.At(0, 0, 0), 6);
    EXPECT_EQ(h.At(1, 1, 0), (22 + 23 + 32 + 33 + 2) / 4);
    // The odd last row and column are dropped, so the 255s never enter.
    EXPECT_EQ(h.At(1, 1, 1), 1);
    // Two ones and two zeros: (2 + 2) / 4 rounds half up to 1.
    EXPECT_EQ(h.At(0, 1, 2), 1);
}

}  // namespace
}  // namespace lumivex::engine
