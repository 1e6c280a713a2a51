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
// Outer taps whose weight stays at or below this for every phase are left out (a footprint a
// hair wider than a whole number of output pixels would otherwise take a mostly empty tap on
// either side); the rows are renormalised.
constexpr double kTrimWeight = 1e-3;
// Fractional bits of the fixed-point footprint centres, and of those the phase's.
constexpr int32_t kFixedBits = 32;
constexpr int32_t kPhaseBits = 6;
static_assert(kPhases == 1 << kPhaseBits);

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

int64_t ToFixed(double value) {
    return std::llround(std::ldexp(value, kFixedBits));
}

// Tap counts known at compile time (0: the kernel's own, at run time).
template <int32_t N>
int32_t TapCount(int32_t runtime) {
    return N > 0 ? N : runtime;
}

// Σ wy[j] Σ wx[i] hr(y0 + j, x0 + i), indices clamped to the plane when kClamp.
template <int32_t TX, int32_t TY, bool kClamp>
float Gather(const FloatPlane& hr, const float* wx, const float* wy, int32_t x0, int32_t y0,
             int32_t tx, int32_t ty) {
    float sum = 0.0F;
    for (int32_t j = 0; j < TapCount<TY>(ty); ++j) {
        const float* row = hr.Row(kClamp ? ClampIndex(y0 + j, hr.rows) : y0 + j);
        float line = 0.0F;
        for (int32_t i = 0; i < TapCount<TX>(tx); ++i) {
            line += wx[i] * row[kClamp ? ClampIndex(x0 + i, hr.cols) : x0 + i];
        }
        sum += wy[j] * line;
    }
    return sum;
}

// hr(y0 + j, x0 + i) += value × wy[j] × wx[i]: Gather's transpose.
template <int32_t TX, int32_t TY, bool kClamp>
void Spread(FloatPlane& hr, float value, const float* wx, const float* wy, int32_t x0, int32_t y0,
            int32_t tx, int32_t ty) {
    for (int32_t j = 0; j < TapCount<TY>(ty); ++j) {
        float* row = hr.Row(kClamp ? ClampIndex(y0 + j, hr.rows) : y0 + j);
        const float scaled = value * wy[j];
        for (int32_t i = 0; i < TapCount<TX>(tx); ++i) {
            row[kClamp ? ClampIndex(x0 + i, hr.cols) : x0 + i] += scaled * wx[i];
        }
    }
}

// Calls fn.template operator()<TX, TY>() with the tap counts as constants for the common
// footprints (2× and 2 × 4 without blur, 2× with blur), else with 0, 0 (counts at run time).
template <typename Fn>
void WithTapCounts(int32_t tx, int32_t ty, const Fn& fn) {
    if (tx == 3 && ty == 3) {
        fn.template operator()<3, 3>();
    } else if (tx == 3 && ty == 5) {
        fn.template operator()<3, 5>();
    } else if (tx == 5 && ty == 5) {
        fn.template operator()<5, 5>();
    } else {
        fn.template operator()<0, 0>();
    }
}

struct Range {
    int32_t lo, hi;
};

}  // namespace

AxisKernel MakeAxisKernel(double width, double sigma) {
    const double reach = width / 2 + kBlurReach * std::max(sigma, 0.0);
    // Taps relative to the output pixel nearest the centre, at offsets f in [−0.5, 0.5): those
    // whose cells overlap [f − reach, f + reach] by more than a point.
    const int32_t first = static_cast<int32_t>(std::floor(-reach - 1.0)) + 1;
    const int32_t taps = static_cast<int32_t>(std::ceil(reach + 1.0)) - 1 - first + 1;
    std::vector<double> w(static_cast<size_t>(kPhases * taps), 0.0);
    for (int32_t phase = 0; phase < kPhases; ++phase) {
        const double f = (phase + 0.5) / kPhases - 0.5;
        double sum = 0.0;
        for (int32_t t = 0; t < taps; ++t) {
            const double offset = first + t - f;
            const double lo = std::max(offset - 0.5, -reach);
            const double hi = std::min(offset + 0.5, reach);
            double& value = w[static_cast<size_t>(phase * taps + t)];
            value = hi > lo ? BoxIntegral(hi, width, sigma) - BoxIntegral(lo, width, sigma) : 0.0;
            sum += value;
        }
        for (int32_t t = 0; t < taps; ++t) {
            w[static_cast<size_t>(phase * taps + t)] /= sum;
        }
    }
    const auto negligible = [&](int32_t t) {
        for (int32_t phase = 0; phase < kPhases; ++phase) {
            if (w[static_cast<size_t>(phase * taps + t)] > kTrimWeight) {
                return false;
            }
        }
        return true;
    };
    int32_t lo = 0;
    int32_t hi = taps;
    while (hi - lo > 1 && negligible(lo)) {
        ++lo;
    }
    while (hi - lo > 1 && negligible(hi - 1)) {
        --hi;
    }
    AxisKernel k;
    k.first = first + lo;
    k.taps = hi - lo;
    k.weights.assign(static_cast<size_t>(kPhases * k.taps), 0.0F);
    k.squares.assign(kPhases, 0.0F);
    for (int32_t phase = 0; phase < kPhases; ++phase) {
        double sum = 0.0;
        for (int32_t t = lo; t < hi; ++t) {
            sum += w[static_cast<size_t>(phase * taps + t)];
        }
        double squares = 0.0;
        for (int32_t t = lo; t < hi; ++t) {
            const auto value = static_cast<float>(w[static_cast<size_t>(phase * taps + t)] / sum);
            k.weights[static_cast<size_t>(phase * k.taps + t - lo)] = value;
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
    // Footprint centre of pixel (u, v) on the output grid, plus half a pixel: cx + 0.5 =
    // sx · (m00 (u + 0.5 − t2) + m01 (v + 0.5 − t5)), cy + 0.5 likewise.
    fx_ = {ToFixed(sx * (m00 * (0.5 - t[2]) + m01 * (0.5 - t[5]))), ToFixed(sx * m00),
           ToFixed(sx * m01)};
    fy_ = {ToFixed(sy * (m10 * (0.5 - t[2]) + m11 * (0.5 - t[5]))), ToFixed(sy * m10),
           ToFixed(sy * m11)};
    limitX_ = int64_t{outWidth} << kFixedBits;
    limitY_ = int64_t{outHeight} << kFixedBits;
    kx_ = MakeAxisKernel(std::hypot(sx * m00, sx * m01), blurSigma * sx);
    ky_ = MakeAxisKernel(std::hypot(sy * m10, sy * m11), blurSigma * sy);
    PlanBands();
}

// ValidAt and TapsAt run once per frame pixel in every pass of the solver: inline, so that the
// loops over the pixels make no call for them.
inline bool FrameSampling::ValidAt(int64_t px, int64_t py) const {
    return px >= 0 && px <= limitX_ && py >= 0 && py <= limitY_;
}

bool FrameSampling::Valid(int32_t u, int32_t v) const {
    return ValidAt(fx_.p0 + fx_.pu * u + fx_.pv * v, fy_.p0 + fy_.pu * u + fy_.pv * v);
}

inline FrameSampling::Taps FrameSampling::TapsAt(int64_t px, int64_t py) const {
    constexpr int32_t kShift = kFixedBits - kPhaseBits;
    return {static_cast<int32_t>(px >> kFixedBits) + kx_.first,
            static_cast<int32_t>(py >> kFixedBits) + ky_.first,
            static_cast<int32_t>((px >> kShift) & (kPhases - 1)),
            static_cast<int32_t>((py >> kShift) & (kPhases - 1))};
}

FrameSampling::Taps FrameSampling::TapsOf(int32_t u, int32_t v) const {
    return TapsAt(fx_.p0 + fx_.pu * u + fx_.pv * v, fy_.p0 + fy_.pu * u + fy_.pv * v);
}

float FrameSampling::WeightSquares(int32_t u, int32_t v) const {
    const Taps taps = TapsOf(u, v);
    return kx_.squares[taps.phaseX] * ky_.squares[taps.phaseY];
}

template <int32_t TX, int32_t TY>
void FrameSampling::ForwardRows(const FloatPlane& hr, FloatPlane& lr, int32_t row0,
                                int32_t row1) const {
    const int32_t tx = TapCount<TX>(kx_.taps);
    const int32_t ty = TapCount<TY>(ky_.taps);
    for (int32_t v = row0; v < row1; ++v) {
        float* out = lr.Row(v);
        int64_t px = fx_.p0 + fx_.pv * v;
        int64_t py = fy_.p0 + fy_.pv * v;
        for (int32_t u = 0; u < width_; ++u, px += fx_.pu, py += fy_.pu) {
            if (!ValidAt(px, py)) {
                out[u] = 0.0F;
                continue;
            }
            const Taps k = TapsAt(px, py);
            const float* wx = kx_.Row(k.phaseX);
            const float* wy = ky_.Row(k.phaseY);
            const bool inside =
                k.x0 >= 0 && k.x0 + tx <= outWidth_ && k.y0 >= 0 && k.y0 + ty <= outHeight_;
            out[u] = inside ? Gather<TX, TY, false>(hr, wx, wy, k.x0, k.y0, tx, ty)
                            : Gather<TX, TY, true>(hr, wx, wy, k.x0, k.y0, tx, ty);
        }
    }
}

void FrameSampling::Forward(const FloatPlane& hr, FloatPlane& lr, int32_t row0,
                            int32_t row1) const {
    WithTapCounts(kx_.taps, ky_.taps,
                  [&]<int32_t TX, int32_t TY>() { ForwardRows<TX, TY>(hr, lr, row0, row1); });
}

template <int32_t TX, int32_t TY>
void FrameSampling::ScatterBand(const FloatPlane& lr, FloatPlane& hr, const Band& band) const {
    const int32_t tx = TapCount<TX>(kx_.taps);
    const int32_t ty = TapCount<TY>(ky_.taps);
    for (int32_t v = band.row0; v < band.row1; ++v) {
        const float* in = lr.Row(v);
        int64_t px = fx_.p0 + fx_.pv * v;
        int64_t py = fy_.p0 + fy_.pv * v;
        for (int32_t u = 0; u < width_; ++u, px += fx_.pu, py += fy_.pu) {
            const float value = in[u];
            if (value == 0.0F) {
                continue;  // also every pixel that is not Valid
            }
            const Taps k = TapsAt(px, py);
            const float* wx = kx_.Row(k.phaseX);
            const float* wy = ky_.Row(k.phaseY);
            if (k.x0 >= 0 && k.x0 + tx <= outWidth_ && k.y0 >= 0 && k.y0 + ty <= outHeight_) {
                Spread<TX, TY, false>(hr, value, wx, wy, k.x0, k.y0, tx, ty);
            } else {
                Spread<TX, TY, true>(hr, value, wx, wy, k.x0, k.y0, tx, ty);
            }
        }
    }
}

void FrameSampling::ScatterBandOf(const FloatPlane& lr, FloatPlane& hr, const Band& band) const {
    WithTapCounts(kx_.taps, ky_.taps,
                  [&]<int32_t TX, int32_t TY>() { ScatterBand<TX, TY>(lr, hr, band); });
}

void FrameSampling::Adjoint(const FloatPlane& lr, FloatPlane& hr) const {
    ForEachBandByParity([&](const Band& band) { ScatterBandOf(lr, hr, band); });
}

// Bands of frame rows such that bands two apart never touch the same output row: the even bands
// can then scatter side by side, and after them the odd ones, each output sample receiving its
// contributions in the same order whatever the number of threads.
void FrameSampling::PlanBands() {
    const auto touched = [this](int32_t row0, int32_t row1) {
        int32_t lo = outHeight_;
        int32_t hi = -1;
        for (const int32_t u : {0, width_ - 1}) {
            for (const int32_t v : {row0, row1 - 1}) {
                const int64_t py =
                    std::clamp(fy_.p0 + fy_.pu * u + fy_.pv * v, int64_t{0}, limitY_);
                const int32_t y0 = TapsAt(0, py).y0;
                lo = std::min(lo, y0);
                hi = std::max(hi, y0 + ky_.taps - 1);
            }
        }
        return Range{lo, hi};
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
