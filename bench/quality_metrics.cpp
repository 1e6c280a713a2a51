#include "bench/quality_metrics.h"

#include <cmath>
#include <limits>
#include <vector>

namespace lumivex::bench {

namespace {

constexpr int32_t kSsimRadius = 5;
constexpr double kSsimSigma = 1.5;
constexpr double kC1 = (0.01 * 255) * (0.01 * 255);
constexpr double kC2 = (0.03 * 255) * (0.03 * 255);

std::vector<double> Luma(const Picture& p) {
    std::vector<double> y(static_cast<size_t>(p.width) * p.height);
    for (size_t i = 0; i < y.size(); ++i) {
        const uint8_t* bgr = &p.pixels[i * 3];
        y[i] = 0.114 * bgr[0] + 0.587 * bgr[1] + 0.299 * bgr[2];
    }
    return y;
}

double Psnr(double meanSquare) {
    if (meanSquare <= 0) {
        return std::numeric_limits<double>::infinity();
    }
    return 10.0 * std::log10(255.0 * 255.0 / meanSquare);
}

// Gaussian-weighted mean of plane over each window lying wholly inside it ("valid" filtering):
// (width − 10) × (height − 10) values.
std::vector<double> WindowMeans(const std::vector<double>& plane, int32_t width, int32_t height) {
    double kernel[2 * kSsimRadius + 1];
    double sum = 0;
    for (int32_t t = -kSsimRadius; t <= kSsimRadius; ++t) {
        kernel[t + kSsimRadius] = std::exp(-0.5 * t * t / (kSsimSigma * kSsimSigma));
        sum += kernel[t + kSsimRadius];
    }
    for (double& k : kernel) {
        k /= sum;
    }
    const int32_t w = width - 2 * kSsimRadius;
    const int32_t h = height - 2 * kSsimRadius;
    std::vector<double> across(static_cast<size_t>(w) * height);
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < w; ++c) {
            double v = 0;
            for (int32_t t = 0; t <= 2 * kSsimRadius; ++t) {
                v += kernel[t] * plane[static_cast<size_t>(r) * width + c + t];
            }
            across[static_cast<size_t>(r) * w + c] = v;
        }
    }
    std::vector<double> out(static_cast<size_t>(w) * h);
    for (int32_t r = 0; r < h; ++r) {
        for (int32_t c = 0; c < w; ++c) {
            double v = 0;
            for (int32_t t = 0; t <= 2 * kSsimRadius; ++t) {
                v += kernel[t] * across[static_cast<size_t>(r + t) * w + c];
            }
            out[static_cast<size_t>(r) * w + c] = v;
        }
    }
    return out;
}

std::vector<double> Product(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> p(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        p[i] = a[i] * b[i];
    }
    return p;
}

double Ssim(const std::vector<double>& x, const std::vector<double>& y, int32_t width,
            int32_t height) {
    if (width <= 2 * kSsimRadius || height <= 2 * kSsimRadius) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const std::vector<double> mx = WindowMeans(x, width, height);
    const std::vector<double> my = WindowMeans(y, width, height);
    const std::vector<double> mxx = WindowMeans(Product(x, x), width, height);
    const std::vector<double> myy = WindowMeans(Product(y, y), width, height);
    const std::vector<double> mxy = WindowMeans(Product(x, y), width, height);
    double total = 0;
    for (size_t i = 0; i < mx.size(); ++i) {
        const double vx = mxx[i] - mx[i] * mx[i];
        const double vy = myy[i] - my[i] * my[i];
        const double cxy = mxy[i] - mx[i] * my[i];
        total += ((2 * mx[i] * my[i] + kC1) * (2 * cxy + kC2)) /
                 ((mx[i] * mx[i] + my[i] * my[i] + kC1) * (vx + vy + kC2));
    }
    return total / static_cast<double>(mx.size());
}

}  // namespace

Quality CompareToTruth(const Picture& result, const Picture& truth) {
    Quality q;
    double squares = 0;
    double difference = 0;
    for (size_t i = 0; i < truth.pixels.size(); ++i) {
        const double d = static_cast<double>(result.pixels[i]) - truth.pixels[i];
        squares += d * d;
        difference += d;
    }
    const auto samples = static_cast<double>(truth.pixels.size());
    q.psnrRgb = Psnr(squares / samples);
    q.meanLevel = difference / samples;
    const std::vector<double> x = Luma(result);
    const std::vector<double> y = Luma(truth);
    double lumaSquares = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        lumaSquares += (x[i] - y[i]) * (x[i] - y[i]);
    }
    q.psnrLuma = Psnr(lumaSquares / static_cast<double>(x.size()));
    q.ssimLuma = Ssim(x, y, truth.width, truth.height);
    return q;
}

}  // namespace lumivex::bench
