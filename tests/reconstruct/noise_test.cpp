#include "reconstruct/noise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace lumivex::recon {
namespace {

struct NoiseCase {
    const char* name;
    double colourSigma;  // independent Gaussian noise per channel
    double greySigma;    // the same noise in all three channels
    double expected;
    double tolerance;
};

class ColourNoiseTest : public testing::TestWithParam<NoiseCase> {};

// A grey ramp, plus the case's noise, rounded to bytes.
std::vector<uint8_t> NoisyFrame(const NoiseCase& c, int32_t width, int32_t height) {
    std::mt19937 rng(3);
    std::normal_distribution<double> unit(0.0, 1.0);
    std::vector<uint8_t> frame(static_cast<size_t>(width) * height * 3);
    for (int32_t v = 0; v < height; ++v) {
        for (int32_t u = 0; u < width; ++u) {
            const double grey = c.greySigma * unit(rng);
            for (int32_t ch = 0; ch < 3; ++ch) {
                const double base = 60.0 + 0.5 * u + 0.3 * v;
                const double value = base + grey + c.colourSigma * unit(rng);
                frame[(static_cast<size_t>(v) * width + u) * 3 + ch] =
                    static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
            }
        }
    }
    return frame;
}

// Sensor noise shows in the colour differences at about its sigma; noise common to all channels
// and smooth colour do not.
TEST_P(ColourNoiseTest, EstimatesTheColourDifferencesNoise) {
    const NoiseCase& c = GetParam();
    constexpr int32_t kWidth = 160;
    constexpr int32_t kHeight = 120;
    const std::vector<uint8_t> frame = NoisyFrame(c, kWidth, kHeight);
    EXPECT_NEAR(ColourNoise(frame.data(), kWidth, kHeight), c.expected, c.tolerance);
}

// The two colour differences of independent channel noise s have sigmas 1.10 s and 0.92 s; their
// pooled median reads as about s.
INSTANTIATE_TEST_SUITE_P(Cases, ColourNoiseTest,
                         testing::Values(NoiseCase{"Clean", 0.0, 0.0, 0.0, 0.02},
                                         NoiseCase{"GreyNoiseOnly", 0.0, 3.0, 0.0, 0.02},
                                         NoiseCase{"SensorNoise1", 1.0, 0.0, 1.0, 0.1},
                                         NoiseCase{"SensorNoise2", 2.0, 0.0, 2.0, 0.15},
                                         NoiseCase{"SensorNoise4", 4.0, 0.0, 4.0, 0.25}),
                         [](const testing::TestParamInfo<NoiseCase>& info) {
                             return info.param.name;
                         });

TEST(ColourNoiseTest, TooSmallAFrameHasNone) {
    const std::vector<uint8_t> frame(2 * 2 * 3, 128);
    EXPECT_EQ(ColourNoise(frame.data(), 2, 2), 0.0);
}

}  // namespace
}  // namespace lumivex::recon
