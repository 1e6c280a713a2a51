#include "reconstruct/refine_motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "reconstruct/sampling.h"

namespace lumivex::recon {
namespace {

struct MotionCase {
    const char* name;
    engine::AffineTransform truth;
    engine::AffineTransform start;  // what registration found
};

class RefineMotionTest : public testing::TestWithParam<MotionCase> {};

// A smooth picture on the 2× grid, with detail at several scales.
FloatPlane Scene(int32_t rows, int32_t cols) {
    FloatPlane p(rows, cols);
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            p.Row(r)[c] = static_cast<float>(128 + 40 * std::sin(0.21 * c + 0.05 * r) +
                                             30 * std::cos(0.17 * r - 0.08 * c) +
                                             15 * std::sin(0.43 * (c + r)));
        }
    }
    return p;
}

double ShiftError(const engine::AffineTransform& a, const engine::AffineTransform& b) {
    return std::hypot(a[2] - b[2], a[5] - b[5]);
}

// A frame registered a little off comes closer to its true motion after two steps, from the
// frame's own pixels and its view of a correct estimate.
TEST_P(RefineMotionTest, StepsTowardsTheTrueMotion) {
    const MotionCase& c = GetParam();
    constexpr int32_t kWidth = 80;
    constexpr int32_t kHeight = 60;
    const FloatPlane hr = Scene(2 * kHeight, 2 * kWidth);
    FloatPlane frame(kHeight, kWidth);
    FrameSampling(c.truth, kWidth, kHeight, 2 * kWidth, 2 * kHeight, 0.0)
        .Forward(hr, frame, 0, kHeight);
    engine::AffineTransform t = c.start;
    for (int32_t step = 0; step < 2; ++step) {
        const FrameSampling s(t, kWidth, kHeight, 2 * kWidth, 2 * kHeight, 0.0);
        FloatPlane simulated(kHeight, kWidth);
        s.Forward(hr, simulated, 0, kHeight);
        std::vector<float> weights(static_cast<size_t>(kWidth) * kHeight);
        for (int32_t v = 0; v < kHeight; ++v) {
            for (int32_t u = 0; u < kWidth; ++u) {
                // Away from the borders, where the true and the assumed frame see the same.
                const bool inner = u >= 4 && u < kWidth - 4 && v >= 4 && v < kHeight - 4;
                weights[static_cast<size_t>(v) * kWidth + u] = inner ? 1.0F : 0.0F;
            }
        }
        ASSERT_TRUE(RefineMotion(simulated, frame, weights.data(), t));
    }
    EXPECT_LT(ShiftError(t, c.truth), 0.25 * ShiftError(c.start, c.truth));
    EXPECT_NEAR(t[1], c.truth[1], 2e-4);
}

INSTANTIATE_TEST_SUITE_P(
    Motions, RefineMotionTest,
    testing::Values(
        MotionCase{"Shift", {0, 0, 0.30, 0, 0, -0.45}, {0, 0, 0.36, 0, 0, -0.40}},
        MotionCase{"Rotated", {0, -0.01, 0.5, 0.01, 0, 0.2}, {0, -0.0105, 0.45, 0.0105, 0, 0.25}}),
    [](const testing::TestParamInfo<MotionCase>& info) { return info.param.name; });

}  // namespace
}  // namespace lumivex::recon
