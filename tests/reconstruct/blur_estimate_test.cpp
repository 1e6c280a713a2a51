#include "reconstruct/blur_estimate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace lumivex::recon {
namespace {

constexpr double kScale = 2.0;  // output pixels per input pixel
constexpr int32_t kSize = 384;

// A dead-leaves picture on the output grid: overlapping rectangles of random grey whose sizes
// spread over two decades, the sharp edges and the falling spectrum of a natural scene.
FloatPlane DeadLeaves() {
    FloatPlane plane(kSize, kSize);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int32_t i = 0; i < 3000; ++i) {
        const auto w = static_cast<int32_t>(std::exp(std::log(3.0) + unit(rng) * std::log(100.0)));
        const auto h = static_cast<int32_t>(w * (0.5 + unit(rng)));
        const auto x0 = static_cast<int32_t>(unit(rng) * kSize) - w / 2;
        const auto y0 = static_cast<int32_t>(unit(rng) * kSize) - h / 2;
        const auto grey = static_cast<float>(30.0 + 190.0 * unit(rng));
        for (int32_t r = std::max(y0, 0); r < std::min(y0 + h, kSize); ++r) {
            for (int32_t c = std::max(x0, 0); c < std::min(x0 + w, kSize); ++c) {
                plane.Row(r)[c] = grey;
            }
        }
    }
    return plane;
}

// The picture through a Gaussian of sigma output pixels (borders repeated).
FloatPlane Blurred(const FloatPlane& in, double sigma) {
    if (sigma <= 0.0) {
        return in;
    }
    const auto radius = static_cast<int32_t>(std::ceil(4 * sigma));
    std::vector<double> taps;
    double total = 0.0;
    for (int32_t t = -radius; t <= radius; ++t) {
        taps.push_back(std::exp(-0.5 * t * t / (sigma * sigma)));
        total += taps.back();
    }
    FloatPlane rows(in.rows, in.cols);
    FloatPlane out(in.rows, in.cols);
    const auto at = [](int32_t i, int32_t n) { return std::clamp(i, 0, n - 1); };
    for (int32_t r = 0; r < in.rows; ++r) {
        for (int32_t c = 0; c < in.cols; ++c) {
            double sum = 0.0;
            for (int32_t t = -radius; t <= radius; ++t) {
                sum += taps[t + radius] * in.Row(r)[at(c + t, in.cols)];
            }
            rows.Row(r)[c] = static_cast<float>(sum / total);
        }
    }
    for (int32_t r = 0; r < in.rows; ++r) {
        for (int32_t c = 0; c < in.cols; ++c) {
            double sum = 0.0;
            for (int32_t t = -radius; t <= radius; ++t) {
                sum += taps[t + radius] * rows.Row(at(r + t, in.rows))[c];
            }
            out.Row(r)[c] = static_cast<float>(sum / total);
        }
    }
    return out;
}

// A Gaussian blur of sigma s (input pixels) takes the fine band's power down against the coarse
// band's by 4π² s² (mean f² of fine − of coarse) in natural log, whatever the scene; a sharp
// scene reads as no blur.
TEST(OpticalBlurTest, AKnownBlurLowersTheFineDetailAsAGaussianDoes) {
    const FloatPlane scene = DeadLeaves();
    const double sharp = FineDetailRatio(scene, kScale);
    EXPECT_EQ(OpticalBlurOfRatio(sharp), 0.0);
    constexpr double kSpread = (0.25 + 0.30 + 0.36) / 3.0 - (0.0256 + 0.0512 + 0.1024) / 3.0;
    for (const double sigma : {0.3, 0.45}) {
        const double drop = sharp - FineDetailRatio(Blurred(scene, sigma * kScale), kScale);
        const double expected = 4.0 * std::numbers::pi * std::numbers::pi * kSpread * sigma *
                                sigma / std::numbers::ln10;
        EXPECT_NEAR(drop, expected, 0.2 * expected) << sigma;
    }
}

}  // namespace
}  // namespace lumivex::recon
