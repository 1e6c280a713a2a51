#include "engine/sharpen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "tests/engine/test_pictures.h"

namespace lumivex::engine {
namespace {

using testing::NoisePicture;
using testing::TestPicture;

TEST(GaussianKernelTest, TwentyFiveSymmetricTapsSummingToOneWithAFlatTop) {
    const std::vector<double> k = GaussianKernel(5.0);
    ASSERT_EQ(k.size(), 25u);
    EXPECT_NEAR(std::accumulate(k.begin(), k.end(), 0.0), 1.0, 1e-12);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_DOUBLE_EQ(k[i], k[24 - i]) << i;
        EXPECT_LT(k[i], k[i + 1]) << "falls off away from the centre";
    }
    // The centre tap averages the Gaussian over 0.5 … 1.5, like its neighbours' interval
    // 0.5 … 1.5 sampled at 0.52 … 1.5: nearly equal weights.
    EXPECT_NEAR(k[12] / k[13], 1.0, 0.01);
    // Worked out separately from the kernel's definition (standard deviation 6, 50 samples a
    // tap, cut off at 12): the centre, its neighbour and the outermost tap.
    EXPECT_NEAR(k[12], 0.06876737720422972, 1e-15);
    EXPECT_NEAR(k[13], 0.06875134922035395, 1e-15);
    EXPECT_NEAR(k[0], 0.005117475910057195, 1e-15);
    // Width parameter −5 is the same Gaussian; 0 gives s = 1 and 5 taps.
    EXPECT_EQ(GaussianKernel(-5.0), k);
    EXPECT_EQ(GaussianKernel(0.0).size(), 5u);
}

TEST(ConvolveLineTest, ConstantLineStaysConstantIncludingTheRenormalisedEnds) {
    const std::vector<double> k = GaussianKernel(5.0);
    const std::vector<double> table = KernelProductTable(k);
    for (const int32_t count : {60, 7}) {  // 7 < 25: every pixel is an end pixel
        const std::vector<uint8_t> src(static_cast<size_t>(count) * 3, 201);
        std::vector<uint8_t> dst(src.size(), 0);
        ConvolveLine(3, table.data(), k.data(), 25, src.data(), dst.data(), count);
        EXPECT_EQ(dst, src) << count;
    }
}

TEST(ConvolveLineTest, StepIsSmoothedSymmetricallyAndRounded) {
    const std::vector<double> k = GaussianKernel(1.0);  // s = 2, 9 taps
    ASSERT_EQ(k.size(), 9u);
    const std::vector<double> table = KernelProductTable(k);
    std::vector<uint8_t> src(40, 0);
    std::fill(src.begin() + 20, src.end(), 200);
    std::vector<uint8_t> dst(40, 0);
    ConvolveLine(1, table.data(), k.data(), 9, src.data(), dst.data(), 40);
    double left = 0.0;
    for (size_t i = 5; i < 9; ++i) {
        left += k[i];
    }
    EXPECT_EQ(dst[19], static_cast<uint8_t>(200 * left + 0.5));
    EXPECT_EQ(dst[19] + dst[20], 200);  // the step's two sides mirror each other
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[39], 200);
}

TEST(SharpenTest, FusedEstimateTakesWidthFiveAndAThirdOfTheDifferenceBack) {
    // A spike of 150 on 50 in a 1 × 49 row. Expected values from the kernel's definition worked
    // out separately: the blur reaches 12 pixels either way (25 taps) and is 57 at the spike,
    // which becomes trunc(150 + 0.3 × 93) = 177.
    TestPicture row(49, 1, 50);
    std::fill_n(row.At(0, 24), 3, 150);
    TestPicture scratch(49, 1);
    SharpenFused(row.Plane(), scratch.Plane());
    std::vector<uint8_t> left(12, 50);
    left.insert(left.end(), 5, 49);
    left.insert(left.end(), 5, 48);
    left.insert(left.end(), 2, 47);
    std::vector<uint8_t> expected = left;
    expected.push_back(177);
    expected.insert(expected.end(), left.rbegin(), left.rend());
    for (int32_t c = 0; c < 49; ++c) {
        EXPECT_EQ(row.At(0, c)[1], expected[c]) << "column " << c;
    }
}

TEST(SharpenTest, ConstantPictureIsUnchanged) {
    TestPicture flat(37, 23, 140);
    Sharpen(flat.Plane(), 5.0, 0.3, 0.0);
    EXPECT_EQ(flat.pixels, std::vector<uint8_t>(flat.pixels.size(), 140));
}

TEST(SharpenTest, BrightSampleAboveItsBlurIsPushedPastWhiteAndClamped) {
    // 250 in a field of 200: its blurred value rounds to 200, so 250 + 0.3 × 50 = 265 → 255.
    TestPicture p(60, 60, 200);
    p.At(30, 30)[0] = 250;
    Sharpen(p.Plane(), 5.0, 0.3, 0.0);
    EXPECT_EQ(p.At(30, 30)[0], 255);
    EXPECT_EQ(p.At(30, 30)[1], 200);
    // A dark sample below its blur is pushed down: 10 in a field of 200 → 10 − 0.3 × 190 < 0.
    TestPicture d(60, 60, 200);
    d.At(30, 30)[2] = 10;
    Sharpen(d.Plane(), 5.0, 0.3, 0.0);
    EXPECT_EQ(d.At(30, 30)[2], 0);
}

TEST(SharpenTest, ThresholdIgnoresSmallDifferencesAndZeroUsesAll) {
    TestPicture noise = NoisePicture(40, 30, 3);
    TestPicture high = noise;
    Sharpen(high.Plane(), 5.0, 0.3, 1000.0);  // every |2 × diff| is below 1000
    EXPECT_EQ(high.pixels, noise.pixels);
    TestPicture zero = noise;
    Sharpen(zero.Plane(), 5.0, 0.3, 0.0);
    EXPECT_NE(zero.pixels, noise.pixels);
}

}  // namespace
}  // namespace lumivex::engine
