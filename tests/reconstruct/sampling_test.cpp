#include "reconstruct/sampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace lumivex::recon {
namespace {

struct SamplingCase {
    const char* name;
    engine::AffineTransform t;
    int32_t width, height, outWidth, outHeight;
    double blur;
};

class SamplingTest : public testing::TestWithParam<SamplingCase> {};

FloatPlane RandomPlane(int32_t rows, int32_t cols, std::mt19937& rng) {
    std::uniform_real_distribution<float> value(-100.0F, 100.0F);
    FloatPlane p(rows, cols);
    for (float& v : p.data) {
        v = value(rng);
    }
    return p;
}

// ⟨A x, y⟩ = ⟨x, Aᵀ y⟩: the solver's gradient is only right when Adjoint is Forward's transpose,
// borders, clamped taps and the band scheduling included.
TEST_P(SamplingTest, AdjointIsTheTransposeOfForward) {
    const SamplingCase& c = GetParam();
    const FrameSampling s(c.t, c.width, c.height, c.outWidth, c.outHeight, c.blur);
    std::mt19937 rng(7);
    const FloatPlane x = RandomPlane(c.outHeight, c.outWidth, rng);
    FloatPlane y = RandomPlane(c.height, c.width, rng);
    int32_t valid = 0;
    for (int32_t v = 0; v < c.height; ++v) {
        for (int32_t u = 0; u < c.width; ++u) {
            if (s.Valid(u, v)) {
                ++valid;
            } else {
                y.Row(v)[u] = 0.0F;
            }
        }
    }
    ASSERT_GT(valid, c.width * c.height / 2);
    FloatPlane ax(c.height, c.width);
    s.Forward(x, ax, 0, c.height);
    FloatPlane aty(c.outHeight, c.outWidth);
    s.Adjoint(y, aty);
    const double left = Dot(ax, y);
    const double right = Dot(x, aty);
    EXPECT_NEAR(left, right, 1e-5 * std::sqrt(Dot(ax, ax) * Dot(y, y)));
}

// Every footprint's weights sum to 1: a flat picture is seen flat, at its own level.
TEST_P(SamplingTest, AFlatPictureIsSeenAtItsLevel) {
    const SamplingCase& c = GetParam();
    const FrameSampling s(c.t, c.width, c.height, c.outWidth, c.outHeight, c.blur);
    FloatPlane x(c.outHeight, c.outWidth);
    Fill(x, 87.5F);
    FloatPlane ax(c.height, c.width);
    s.Forward(x, ax, 0, c.height);
    for (int32_t v = 0; v < c.height; ++v) {
        for (int32_t u = 0; u < c.width; ++u) {
            if (s.Valid(u, v)) {
                ASSERT_NEAR(ax.Row(v)[u], 87.5F, 1e-3) << u << "," << v;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Transforms, SamplingTest,
    testing::Values(
        SamplingCase{"Identity2x", {0, 0, 0, 0, 0, 0}, 48, 40, 96, 80, 0.0},
        SamplingCase{"Shift2xBlurred", {0, 0, 0.37, 0, 0, -1.6}, 48, 40, 96, 80, 0.4},
        SamplingCase{"RotatedScaled", {0.01, -0.035, 1.2, 0.035, 0.01, 0.7}, 60, 44, 160, 66, 0.3},
        SamplingCase{"Field", {0, 0, -0.2, 0, 0, 0.5}, 64, 24, 128, 96, 0.0},
        SamplingCase{"SameSize", {0, 0, 0.5, 0, 0, 0.25}, 40, 40, 40, 40, 0.2}),
    [](const testing::TestParamInfo<SamplingCase>& info) { return info.param.name; });

}  // namespace
}  // namespace lumivex::recon
