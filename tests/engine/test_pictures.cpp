#include "tests/engine/test_pictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace lumivex::engine::testing {

namespace {

double Sinc(double z) {
    return std::fabs(z) < 1e-12 ? 1.0 : std::sin(z) / z;
}

uint8_t ToByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::round(v), 0.0, 255.0));
}

}  // namespace

WaveTexture::WaveTexture(uint32_t seed, int32_t count, double minPeriod, double maxPeriod,
                         double maxAmplitude) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int32_t i = 0; i < count; ++i) {
        Wave w;
        const double angle = unit(random) * std::numbers::pi;
        // Wavelengths spread evenly on a log scale between the limits.
        const double period = minPeriod * std::pow(maxPeriod / minPeriod, unit(random));
        const double k = 2.0 * std::numbers::pi / period;
        w.kx = k * std::cos(angle);
        w.ky = k * std::sin(angle);
        w.phase = unit(random) * 2.0 * std::numbers::pi;
        for (double& a : w.amplitude) {
            a = maxAmplitude * (0.3 + 0.7 * unit(random));
        }
        waves_.push_back(w);
    }
}

TestPicture WaveTexture::Accumulate(int32_t width, int32_t height,
                                    const std::vector<std::array<double, 4>>& terms) const {
    std::vector<double> sums(static_cast<size_t>(width) * height * 3, 128.0);
    std::vector<double> cosX(width), sinX(width), cosY(height), sinY(height);
    for (size_t i = 0; i < waves_.size(); ++i) {
        const auto [ax, ay, phase, gain] = terms[i];
        for (int32_t x = 0; x < width; ++x) {
            cosX[x] = std::cos(ax * x + phase);
            sinX[x] = std::sin(ax * x + phase);
        }
        for (int32_t y = 0; y < height; ++y) {
            cosY[y] = std::cos(ay * y);
            sinY[y] = std::sin(ay * y);
        }
        const std::array<double, 3>& amp = waves_[i].amplitude;
        for (int32_t y = 0; y < height; ++y) {
            double* row = sums.data() + static_cast<size_t>(y) * width * 3;
            for (int32_t x = 0; x < width; ++x) {
                // cos(ax·x + phase + ay·y), split so that each factor is tabulated once.
                const double v = gain * (cosX[x] * cosY[y] - sinX[x] * sinY[y]);
                row[3 * x] += amp[0] * v;
                row[3 * x + 1] += amp[1] * v;
                row[3 * x + 2] += amp[2] * v;
            }
        }
    }
    TestPicture picture(width, height);
    std::transform(sums.begin(), sums.end(), picture.pixels.begin(), ToByte);
    return picture;
}

TestPicture WaveTexture::Render(int32_t width, int32_t height, const AffineTransform& map) const {
    std::vector<std::array<double, 4>> terms;
    for (const Wave& w : waves_) {
        // k · (M p + c) + phase, with M = [[1 + p0, p1], [p3, 1 + p4]] and c = (p2, p5).
        const double ax = w.kx * (1.0 + map[0]) + w.ky * map[3];
        const double ay = w.kx * map[1] + w.ky * (1.0 + map[4]);
        terms.push_back({ax, ay, w.phase + w.kx * map[2] + w.ky * map[5], 1.0});
    }
    return Accumulate(width, height, terms);
}

TestPicture WaveTexture::RenderBoxes(int32_t width, int32_t height, double scale, double offsetX,
                                     double offsetY) const {
    std::vector<std::array<double, 4>> terms;
    for (const Wave& w : waves_) {
        // The box mean of a plane wave is the wave at the box centre times two sinc factors.
        const double ax = w.kx * scale;
        const double ay = w.ky * scale;
        const double phase = w.phase + ax * (offsetX + 0.5) + ay * (offsetY + 0.5);
        terms.push_back({ax, ay, phase, Sinc(ax / 2.0) * Sinc(ay / 2.0)});
    }
    return Accumulate(width, height, terms);
}

AffineTransform InverseTransform(const AffineTransform& t) {
    const double a = 1.0 + t[0], b = t[1], c = t[3], d = 1.0 + t[4];
    const double det = a * d - b * c;
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return {ia - 1.0, ib, -(ia * t[2] + ib * t[5]), ic, id - 1.0, -(ic * t[2] + id * t[5])};
}

std::array<double, 2> ApplyTransform(const AffineTransform& t, double x, double y) {
    return {(1.0 + t[0]) * x + t[1] * y + t[2], t[3] * x + (1.0 + t[4]) * y + t[5]};
}

TestPicture NoisePicture(int32_t width, int32_t height, uint32_t seed) {
    TestPicture picture(width, height);
    std::minstd_rand random(seed);
    for (uint8_t& v : picture.pixels) {
        v = static_cast<uint8_t>(random() >> 7);
    }
    return picture;
}

void AddNoise(TestPicture& picture, double sigma, uint32_t seed) {
    std::mt19937 random(seed);
    // A uniform distribution over ±√3·sigma has standard deviation sigma.
    std::uniform_real_distribution<double> spread(-std::sqrt(3.0) * sigma, std::sqrt(3.0) * sigma);
    for (uint8_t& v : picture.pixels) {
        v = ToByte(v + spread(random));
    }
}

double Psnr(const TestPicture& a, const TestPicture& b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = static_cast<double>(a.pixels[i]) - b.pixels[i];
        sum += d * d;
    }
    const double mse = sum / static_cast<double>(a.pixels.size());
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace lumivex::engine::testing
