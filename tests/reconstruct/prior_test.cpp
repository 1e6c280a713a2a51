#include "reconstruct/prior.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "engine/parallel.h"

namespace lumivex::recon {
namespace {

constexpr int32_t kRadius = 2;
constexpr double kDecay = 0.7;
constexpr double kEpsilon = 1.0;

// Whole grey levels, so that a step of 1/64 up or down is exact in float.
FloatPlane RandomPlane(int32_t rows, int32_t cols, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> level(0, 255);
    FloatPlane plane(rows, cols);
    for (float& sample : plane.data) {
        sample = static_cast<float>(level(rng));
    }
    return plane;
}

// The prior's energy over the pairs (p, p + o) and (p − o, p) that hold pixel p = (row, col):
// Σ decay^(|dx| + |dy|) (√(t² + ε²) − ε), t the pair's difference, in double.
double EnergyAround(const FloatPlane& x, int32_t row, int32_t col) {
    double sum = 0.0;
    for (int32_t dy = 0; dy <= kRadius; ++dy) {
        for (int32_t dx = -kRadius; dx <= kRadius; ++dx) {
            if (dy == 0 && dx <= 0) {
                continue;
            }
            const double weight = std::pow(kDecay, std::abs(dx) + std::abs(dy));
            for (const int32_t side : {1, -1}) {
                const int32_t r = row + side * dy;
                const int32_t c = col + side * dx;
                if (r < 0 || r >= x.rows || c < 0 || c >= x.cols) {
                    continue;
                }
                const double t = static_cast<double>(x.Row(row)[col]) - x.Row(r)[c];
                sum += weight * (std::sqrt(t * t + kEpsilon * kEpsilon) - kEpsilon);
            }
        }
    }
    return sum;
}

class BilateralPriorTest : public testing::Test {
protected:
    void TearDown() override { SetEngineThreadCount(0); }
};

// Apply(x, x) is the gradient of the prior's energy at x, at every pixel (borders and corners,
// and the first rows of each range two threads split the plane into); and Apply(at, d) gives the
// same bytes on one thread and on two.
TEST_F(BilateralPriorTest, ApplyIsTheGradientOnAnyNumberOfThreads) {
    const BilateralPrior prior(kRadius, kDecay, kEpsilon);
    const int32_t rows = 96;
    const int32_t cols = 23;
    FloatPlane x = RandomPlane(rows, cols, 5);
    const FloatPlane d = RandomPlane(rows, cols, 6);
    FloatPlane applied[2];
    for (const int threads : {1, 2}) {
        SetEngineThreadCount(threads);
        FloatPlane gradient(rows, cols);
        prior.Apply(x, x, 1.0, gradient);
        constexpr float kStep = 1.0F / 64;
        for (int32_t r = 0; r < rows; ++r) {
            for (int32_t c = 0; c < cols; ++c) {
                float& sample = x.Row(r)[c];
                const float kept = sample;
                sample = kept + kStep;
                const double up = EnergyAround(x, r, c);
                sample = kept - kStep;
                const double down = EnergyAround(x, r, c);
                sample = kept;
                const double expected = (up - down) / (2.0 * kStep);
                ASSERT_NEAR(gradient.Row(r)[c], expected, 1e-3)
                    << "pixel (" << r << ", " << c << ") on " << threads << " thread(s)";
            }
        }
        applied[threads - 1] = FloatPlane(rows, cols);
        prior.Apply(x, d, 0.25, applied[threads - 1]);
    }
    EXPECT_EQ(std::memcmp(applied[0].data.data(), applied[1].data.data(),
                          applied[0].Size() * sizeof(float)),
              0);
}

}  // namespace
}  // namespace lumivex::recon
