#include "reconstruct/sampling.h"

#include <algorithm>
#include <cmath>

#include "engine/parallel.h"

namespace lumivex::recon {

namespace {

constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kInvSqrt2Pi = 0.3989422804014327;
// The Gaussian's tails beyond this many sigmas are left out (the weights are renormalised).
constexpr double kBlurReach = 2.0;
// Frame rows per band to start from when planning the adjoint's bands.
constexpr int32_t kFirstBandRows = 4;

// ∫ of the unit-area Gaussian's cumulative distribution up to z: z·Φ(z/σ) + σ·φ(z/σ).
double IntegratedStep(double z, double sigma) {
    if (sigma <= 0.0) {
        return std::max(z, 0.0);
    }
    const double s = z / sigma;
    return z * 0.5 * std::erfc(-s / kSqrt2) + sigma * kInvSqrt2Pi * std::exp(-0.5 * s * s);
}

// ∫ of the blurred box (unit area, width w) from −∞ to z.
double BoxIntegral(double z, double width, double sigma) {
    return (IntegratedStep(z + width / 2, sigma) - IntegratedStep(z - width / 2, sigma)) / width;
}

int32_t ClampIndex(int32_t i, int32_t size) {
    return std::clamp(i, 0, size - 1);
}

struct Range {
    int32_t lo, hi;
};

}  // namespace

AxisKernel MakeAxisKernel(double width, double sigma) {
    const double reach = width / 2 + kBlurReach * std::max(sigma, 0.0);
    AxisKernel k;
    // Taps relative to the output pixel nearest the centre, at offsets f in [−0.5, 0.5): those
    // whose cells overlap [f − reach, f + reach] by more than a point.
    k.first = static_cast<int32_t>(std::floor(-reach - 1.0)) + 1;
    k.taps = static_cast<int32_t>(std::ceil(reach + 1.0)) - 1 - k.first + 1;
    k.weights.assign(static_cast<size_t>(kPhases * k.taps), 0.0F);
    k.squares.assign(kPhases, 0.0F);
    for (int32_t phase = 0; phase < kPhases; ++phase) {
        const double f = (phase + 0.5) / kPhases - 0.5;
        std::vector<double> w(static_cast<size_t>(k.taps));
        double sum = 0.0;
        for (int32_t t = 0; t < k.taps; ++t) {
            const double offset = k.first + t - f;
            const double lo = std::max(offset - 0.5, -reach);
            const double hi = std::min(offset + 0.5, reach);
            w[t] = hi > lo ? BoxIntegral(hi, width, sigma) - BoxIntegral(lo, width, sigma) : 0.0;
            sum += w[t];
        }
        double squares = 0.0;
        for (int32_t t = 0; t < k.taps; ++t) {
            const auto value = static_cast<float>(w[t] / sum);
            k.weights[static_cast<size_t>(phase * k.taps + t)] = value;
            squares += static_cast<double>(value) * value;
        }
        k.squares[phase] = static_cast<float>(squares);
    }
    return k;
}

FrameSampling::FrameSampling(const engine::AffineTransform& t, int32_t width, int32_t height,
                             int32_t outWidth, int32_t outHeight, double blurSigma)
    : width_(width), height_(height), outWidth_(outWidth), outHeight_(outHeight) {
    const double a = 1.0 + t[0];
    const double b = t[1];
    const double c = t[3];
    const double d = 1.0 + t[4];
    double det = a * d - b * c;
    if (std::abs(det) < 1e-6) {
        det = 1e-6;  // a degenerate transform; such frames get no weight
    }
    const double m00 = d / det;
    const double m01 = -b / det;
    const double m10 = -c / det;
    const double m11 = a / det;
    const double sx = static_cast<double>(outWidth) / width;
    const double sy = static_cast<double>(outHeight) / height;
    xu_ = sx * m00;
    xv_ = sx * m01;
    x0_ = sx * (0.5 - m00 * t[2] - m01 * t[5]) - 0.5;
    yu_ = sy * m10;
    yv_ = sy * m11;
    y0_ = sy * (0.5 - m10 * t[2] - m11 * t[5]) - 0.5;
    kx_ = MakeAxisKernel(std::hypot(xu_, xv_), blurSigma * sx);
    ky_ = MakeAxisKernel(std::hypot(yu_, yv_), blurSigma * sy);
    PlanBands();
}

bool FrameSampling::Valid(int32_t u, int32_t v) const {
    const double cx = x0_ + xu_ * u + xv_ * v;
    const double cy = y0_ + yu_ * u + yv_ * v;
    return cx >= -0.5 && cx <= outWidth_ - 0.5 && cy >= -0.5 && cy <= outHeight_ - 0.5;
}

FrameSampling::Taps FrameSampling::TapsOf(int32_t u, int32_t v) const {
    const double cx = x0_ + xu_ * u + xv_ * v;
    const double cy = y0_ + yu_ * u + yv_ * v;
    const double fx = std::floor(cx + 0.5);
    const double fy = std::floor(cy + 0.5);
    Taps taps;
    taps.x0 = static_cast<int32_t>(fx) + kx_.first;
    taps.y0 = static_cast<int32_t>(fy) + ky_.first;
    taps.phaseX = std::clamp(static_cast<int32_t>((cx - fx + 0.5) * kPhases), 0, kPhases - 1);
    taps.phaseY = std::clamp(static_cast<int32_t>((cy - fy + 0.5) * kPhases), 0, kPhases - 1);
    return taps;
}

float FrameSampling::WeightSquares(int32_t u, int32_t v) const {
    const Taps taps = TapsOf(u, v);
    return kx_.squares[taps.phaseX] * ky_.squares[taps.phaseY];
}

void FrameSampling::Forward(const FloatPlane& hr, FloatPlane& lr, int32_t row0,
                            int32_t row1) const {
    for (int32_t v = row0; v < row1; ++v) {
        float* out = lr.Row(v);
        for (int32_t u = 0; u < width_; ++u) {
            if (!Valid(u, v)) {
                out[u] = 0.0F;
                continue;
            }
            const Taps taps = TapsOf(u, v);
            const float* wx = kx_.Row(taps.phaseX);
            const float* wy = ky_.Row(taps.phaseY);
            const bool inside = taps.x0 >= 0 && taps.x0 + kx_.taps <= outWidth_;
            float sum = 0.0F;
            for (int32_t j = 0; j < ky_.taps; ++j) {
                const float* row = hr.Row(ClampIndex(taps.y0 + j, outHeight_));
                float line = 0.0F;
                if (inside) {
                    for (int32_t i = 0; i < kx_.taps; ++i) {
                        line += wx[i] * row[taps.x0 + i];
                    }
                } else {
                    for (int32_t i = 0; i < kx_.taps; ++i) {
                        line += wx[i] * row[ClampIndex(taps.x0 + i, outWidth_)];
                    }
                }
                sum += wy[j] * line;
            }
            out[u] = sum;
        }
    }
}

void FrameSampling::ScatterBand(const FloatPlane& lr, FloatPlane& hr, const Band& band) const {
    for (int32_t v = band.row0; v < band.row1; ++v) {
        const float* in = lr.Row(v);
        for (int32_t u = 0; u < width_; ++u) {
            const float value = in[u];
            if (value == 0.0F) {
                continue;  // also every pixel that is not Valid
            }
            const Taps taps = TapsOf(u, v);
            const float* wx = kx_.Row(taps.phaseX);
            const float* wy = ky_.Row(taps.phaseY);
            const bool inside = taps.x0 >= 0 && taps.x0 + kx_.taps <= outWidth_;
            for (int32_t j = 0; j < ky_.taps; ++j) {
                float* row = hr.Row(ClampIndex(taps.y0 + j, outHeight_));
                const float scaled = value * wy[j];
                if (inside) {
                    for (int32_t i = 0; i < kx_.taps; ++i) {
                        row[taps.x0 + i] += scaled * wx[i];
                    }
                } else {
                    for (int32_t i = 0; i < kx_.taps; ++i) {
                        row[ClampIndex(taps.x0 + i, outWidth_)] += scaled * wx[i];
                    }
                }
            }
        }
    }
}

void FrameSampling::Adjoint(const FloatPlane& lr, FloatPlane& hr) const {
    const auto count = static_cast<int32_t>(bands_.size());
    for (int32_t parity = 0; parity < 2; ++parity) {
        ForEachIndex((count - parity + 1) / 2,
                     [&](int32_t i) { ScatterBand(lr, hr, bands_[2 * i + parity]); });
    }
}

// Bands of frame rows such that bands two apart never touch the same output row: the even bands
// can then scatter side by side, and after them the odd ones, each output sample receiving its
// contributions in the same order whatever the number of threads.
void FrameSampling::PlanBands() {
    const auto touched = [this](int32_t row0, int32_t row1) {
        double lo = 1e300;
        double hi = -1e300;
        for (const int32_t u : {0, width_ - 1}) {
            for (const int32_t v : {row0, row1 - 1}) {
                const double cy =
                    std::floor(std::clamp(y0_ + yu_ * u + yv_ * v, -0.5, outHeight_ - 0.5) + 0.5);
                lo = std::min(lo, cy);
                hi = std::max(hi, cy);
            }
        }
        return Range{static_cast<int32_t>(lo) + ky_.first,
                     static_cast<int32_t>(hi) + ky_.first + ky_.taps - 1};
    };
    for (int32_t rows = kFirstBandRows;; rows *= 2) {
        bands_.clear();
        std::vector<Range> ranges;
        for (int32_t row0 = 0; row0 < height_; row0 += rows) {
            const int32_t row1 = std::min(height_, row0 + rows);
            bands_.push_back({row0, row1});
            ranges.push_back(touched(row0, row1));
        }
        bool disjoint = true;
        for (size_t b = 0; b + 2 < ranges.size() && disjoint; ++b) {
            const Range& p = ranges[b];
            const Range& q = ranges[b + 2];
            disjoint = p.hi < q.lo || q.hi < p.lo;
        }
        if (disjoint || rows >= height_) {
            if (!disjoint) {
                bands_ = {{0, height_}};
            }
            return;
        }
    }
}

}  // namespace lumivex::recon
