#include "engine/fusion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/engine/test_pictures.h"

namespace lumivex::engine {
namespace {

using testing::NoisePicture;
using testing::TestPicture;

TEST(DiagonalDifferenceTest, FlatPlaneGivesZeroAndSteadyGradientItsSquaredStep) {
    TestPicture flat(30, 30, 60);
    EXPECT_EQ(DiagonalDifference(flat.Plane(), 1, 1), 0);
    EXPECT_EQ(DiagonalDifference(flat.Plane(), 1, -1), 0);

    // Luminance rises by 6 × 2 = 12 per column: d² = 144 at every pixel of the central 10 × 10,
    // against a quantum of 900 / 9 = 100, so each pixel gives one quantum and the remainder
    // 44 builds up another one every 100 / 44 pixels.
    TestPicture ramp(30, 30);
    for (int32_t r = 0; r < 30; ++r) {
        for (int32_t c = 0; c < 30; ++c) {
            std::fill_n(ramp.At(r, c), 3, static_cast<uint8_t>(2 * c));
        }
    }
    EXPECT_EQ(DiagonalDifference(ramp.Plane(), 1, 1), 100);
    EXPECT_EQ(DiagonalDifference(ramp.Plane(), 1, -1), 100);
    // Vertical neighbours are equal.
    EXPECT_EQ(DiagonalDifference(ramp.Plane(), 1, 0), 0);
}

TEST(PlaneDifferenceTest, CountsAtMostOneQuantumPerPixel) {
    // One pixel differs by luminance 60 × 6 = 360 (d² = 129 600) in a 9 × 9 plane, quantum 9,
    // central region of 3 × 3 pixels: that pixel and each later one take one quantum off.
    TestPicture a(9, 9, 0);
    TestPicture b(9, 9, 0);
    std::fill_n(b.At(3, 3), 3, 60);
    EXPECT_EQ(PlaneDifference(a.Plane(), b.Plane()), 9);
    EXPECT_EQ(PlaneDifference(a.Plane(), a.Plane()), 0);
}

TEST(PlaneDifferenceTest, LuminanceWeighsBlueOneGreenThreeRedTwo) {
    // One channel of the first central pixel of a 90 × 90 plane differs by 60: luminance
    // w × 60, against a quantum of 900. d² = m × 900 leaves m − 1 quanta, one per pixel from there.
    const struct {
        int32_t channel;
        int32_t count;
    } cases[] = {{0, 3}, {1, 35}, {2, 15}};  // (60)², (180)², (120)² over 900, less one
    for (const auto& c : cases) {
        TestPicture a(90, 90, 0);
        TestPicture b(90, 90, 0);
        b.At(30, 30)[c.channel] = 60;
        EXPECT_EQ(PlaneDifference(a.Plane(), b.Plane()), c.count) << "channel " << c.channel;
    }
}

TEST(GateTest, BlendsAFrameUpTo172HundredthsOfTheBaseline) {
    const struct {
        int32_t baseline;
        int32_t difference;
        bool passes;
    } cases[] = {
        {0, 0, true},       {0, 1, false},    // a flat reference admits only equal frames
        {50, 86, true},     {50, 87, false},  // 1.72 × 50 = 86 exactly
        {1000, 1720, true}, {1000, 1721, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PassesGate(c.difference, GateLimit(c.baseline)), c.passes)
            << c.difference << " against baseline " << c.baseline;
    }
}

TEST(PlaneDifferenceTest, SmallPlaneWithStrongDifferencesDoesNotOverflow) {
    // Quantum 2, up to 2 340 900 per pixel: a 32-bit running sum would pass 2³¹ within the
    // central 333 × 3 pixels; the count still cannot exceed the pixel count.
    TestPicture a(9, 1000, 0);
    TestPicture b(9, 1000, 255);
    EXPECT_EQ(PlaneDifference(a.Plane(), b.Plane()), 3 * 333);
}

TEST(DetailMapTest, MeanWeightedAbsoluteDifferencePlusConstantWithCopiedBorders) {
    TestPicture a(6, 5, 100);
    TestPicture b(6, 5, 100);
    std::fill_n(b.At(2, 2), 3, 109);  // one pixel, weighted difference 9 × 6 = 54
    PlaneBuffer<double> out(5, 6, 1);
    DetailMap(out, a.Plane(), b.Plane());
    const RealPlane d = out.view();
    EXPECT_DOUBLE_EQ(d.At(2, 2), 54.0 / 54.0 + 2.8);
    EXPECT_DOUBLE_EQ(d.At(1, 1), 54.0 / 54.0 + 2.8);  // (2, 2) lies in its neighbourhood
    EXPECT_DOUBLE_EQ(d.At(3, 4), 2.8);
    EXPECT_DOUBLE_EQ(d.At(0, 1), d.At(1, 1));  // top row copies row 1
    EXPECT_DOUBLE_EQ(d.At(2, 0), d.At(2, 1));  // first column copies column 1
    EXPECT_DOUBLE_EQ(d.At(4, 5), d.At(3, 4));  // corner: last column, then last row
}

TEST(DetailMapTest, WeighsBlueOneGreenThreeRedTwo) {
    const struct {
        int32_t channel;
        int32_t sum;  // the weighted difference of one sample differing by 9
    } cases[] = {{0, 9}, {1, 27}, {2, 18}};
    for (const auto& c : cases) {
        TestPicture a(6, 5, 100);
        TestPicture b(6, 5, 100);
        b.At(2, 2)[c.channel] = 109;
        PlaneBuffer<double> map(5, 6, 1);
        DetailMap(map, a.Plane(), b.Plane());
        EXPECT_DOUBLE_EQ(map.view().At(2, 2), 2.8 + c.sum / 54.0) << "channel " << c.channel;
        PlaneBuffer<uint16_t> sums(5, 6, 1);
        DetailSums(sums, a.Plane(), b.Plane());
        EXPECT_EQ(sums.view().At(2, 2), c.sum) << "channel " << c.channel;
    }
}

// Fuses a uniform frame of value w into a uniform estimate of value e with a uniform detail.
uint8_t FuseUniform(uint8_t e, uint8_t w, double detail, int32_t n, uint8_t outside = 0) {
    TestPicture estimate(8, 8, e);
    TestPicture warped(8, 8, w);
    std::vector<uint8_t> mask(64, outside);
    PlaneBuffer<double> detailPlane(8, 8, 1);
    std::fill_n(detailPlane.view().data, 64, detail);
    FuseFrame(estimate.Plane(), warped.Plane(), mask.data(), n, detailPlane);
    return estimate.At(4, 4)[1];
}

TEST(FuseFrameTest, FirstFrameAtHalfWeightFollowsTheRunningAverage) {
    // Local difference D = 13 + 2.8 = 15.8; a detail of 15.8 / 2.4 gives x = 0.5, and
    // trunc((0.5 × 113 + 1.5 × 100) / 2) = trunc(103.25) = 103.
    EXPECT_EQ(FuseUniform(100, 113, 15.8 / 2.4, 1), 103);
    // Where the frame agrees (x = 2.8 / (4.8 × detail)), it is one more equal sample.
    EXPECT_EQ(FuseUniform(100, 100, 50.0, 1), 100);
    // Third accepted frame, tiny x: close to (w + 3e) / 4.
    EXPECT_EQ(FuseUniform(100, 120, 1000.0, 3), 104);
}

TEST(FuseFrameTest, LargeDisagreementAndOutsidePixelsKeepTheEstimate) {
    // Reference detail 2.8 (flat): D of 13.44 or more keeps the estimate. |e − w| = 11 gives
    // D = 13.8, |e − w| = 10 gives 12.8, x = 0.952, and blends:
    // trunc((0.048 × 100 + 1.952 × 110) / 2) = 109.
    EXPECT_EQ(FuseUniform(110, 99, 2.8, 1), 110);
    EXPECT_EQ(FuseUniform(110, 100, 2.8, 1), 109);
    EXPECT_EQ(FuseUniform(100, 101, 1000.0, 1, /*outside=*/1), 100);
}

TEST(FuseFrameTest, MeanOfManyEqualSamplesStaysWithinTheirRange) {
    TestPicture estimate = NoisePicture(16, 16, 8);
    const std::vector<uint8_t> before = estimate.pixels;
    TestPicture warped = estimate;
    PlaneBuffer<double> detail(16, 16, 1);
    std::fill_n(detail.view().data, 256, 2.8);
    std::vector<uint8_t> mask(256, 0);
    FuseFrame(estimate.Plane(), warped.Plane(), mask.data(), 1, detail);
    // Identical frames: x = 2.8 / 13.44 and the blend of equal values truncates to them or one
    // below.
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_LE(estimate.pixels[i], before[i]);
        EXPECT_GE(estimate.pixels[i] + 1, before[i]);
    }
}

}  // namespace
}  // namespace lumivex::engine
