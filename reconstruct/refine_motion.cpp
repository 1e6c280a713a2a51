#include "reconstruct/refine_motion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace lumivex::recon {

namespace {

constexpr int32_t kParams = 6;
// Frame rows per partial sum: the blocks, not the threads, fix the order of the sums.
constexpr int32_t kBlockRows = 16;
// Largest correction accepted: of the shift (frame pixels) and of the linear part.
constexpr double kMaxShift = 0.25;
constexpr double kMaxLinear = 0.002;
constexpr int32_t kMinPixels = 256;

// The upper triangle of JᵀWJ, JᵀWr and the count of pixels that entered.
struct Normal {
    std::array<double, kParams * kParams> a{};
    std::array<double, kParams> b{};
    int64_t pixels = 0;
    void Add(const double (&j)[kParams], double w, double r) {
        for (int32_t p = 0; p < kParams; ++p) {
            for (int32_t q = p; q < kParams; ++q) {
                a[p * kParams + q] += w * j[p] * j[q];
            }
            b[p] += w * j[p] * r;
        }
        ++pixels;
    }
    void Merge(const Normal& o) {
        for (size_t i = 0; i < a.size(); ++i) {
            a[i] += o.a[i];
        }
        for (size_t i = 0; i < b.size(); ++i) {
            b[i] += o.b[i];
        }
        pixels += o.pixels;
    }
};

// Solves a x = b (a symmetric, upper triangle given) by Gaussian elimination with partial
// pivoting; false when it is singular.
bool Solve(Normal n, std::array<double, kParams>& x) {
    double m[kParams][kParams + 1];
    double scale = 0.0;
    for (int32_t p = 0; p < kParams; ++p) {
        for (int32_t q = 0; q < kParams; ++q) {
            m[p][q] = p <= q ? n.a[p * kParams + q] : n.a[q * kParams + p];
        }
        m[p][kParams] = n.b[p];
        scale = std::max(scale, std::abs(m[p][p]));
    }
    if (scale <= 0.0) {
        return false;
    }
    for (int32_t c = 0; c < kParams; ++c) {
        int32_t pivot = c;
        for (int32_t r = c + 1; r < kParams; ++r) {
            if (std::abs(m[r][c]) > std::abs(m[pivot][c])) {
                pivot = r;
            }
        }
        if (std::abs(m[pivot][c]) < 1e-12 * scale) {
            return false;
        }
        std::swap(m[c], m[pivot]);
        for (int32_t r = c + 1; r < kParams; ++r) {
            const double f = m[r][c] / m[c][c];
            for (int32_t q = c; q <= kParams; ++q) {
                m[r][q] -= f * m[c][q];
            }
        }
    }
    for (int32_t c = kParams - 1; c >= 0; --c) {
        double sum = m[c][kParams];
        for (int32_t q = c + 1; q < kParams; ++q) {
            sum -= m[c][q] * x[q];
        }
        x[c] = sum / m[c][c];
    }
    return true;
}

}  // namespace

bool RefineMotion(const FloatPlane& simulated, const FloatPlane& luma, const float* weights,
                  engine::AffineTransform& t) {
    const int32_t width = simulated.cols;
    const int32_t height = simulated.rows;
    // Positions relative to the frame's centre, in units of half its larger side.
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double unit = std::max(width, height) / 2.0;
    const int32_t blocks = (height + kBlockRows - 1) / kBlockRows;
    std::vector<Normal> partial(static_cast<size_t>(blocks));
    ForEachIndex(blocks, [&](int32_t block) {
        Normal n;  // summed apart from the neighbouring blocks' sums, which share cache lines
        const int32_t row0 = std::max(1, block * kBlockRows);
        const int32_t row1 = std::min(height - 1, (block + 1) * kBlockRows);
        for (int32_t v = row0; v < row1; ++v) {
            const float* s = simulated.Row(v);
            const float* up = simulated.Row(v - 1);
            const float* down = simulated.Row(v + 1);
            const float* y = luma.Row(v);
            const float* w = weights + static_cast<size_t>(v) * width;
            for (int32_t u = 1; u + 1 < width; ++u) {
                // Only weighted pixels whose four neighbours are weighted as well.
                if (w[u] <= 0.0F || w[u - 1] <= 0.0F || w[u + 1] <= 0.0F || w[u - width] <= 0.0F ||
                    w[u + width] <= 0.0F) {
                    continue;
                }
                const double gx = 0.5 * (s[u + 1] - s[u - 1]);
                const double gy = 0.5 * (down[u] - up[u]);
                const double px = (u + 0.5 - cx) / unit;
                const double py = (v + 0.5 - cy) / unit;
                const double j[kParams] = {gx * px, gx * py, gx, gy * px, gy * py, gy};
                n.Add(j, w[u], static_cast<double>(y[u]) - s[u]);
            }
        }
        partial[static_cast<size_t>(block)] = n;
    });
    Normal total;
    for (const Normal& n : partial) {
        total.Merge(n);
    }
    std::array<double, kParams> x{};
    if (total.pixels < kMinPixels || !Solve(total, x)) {
        return false;
    }
    // The frame's pixel p shows what the model shows at E(p) = p + D (p − c) + d.
    const double d00 = x[0] / unit;
    const double d01 = x[1] / unit;
    const double d10 = x[3] / unit;
    const double d11 = x[4] / unit;
    if (std::abs(x[2]) > kMaxShift || std::abs(x[5]) > kMaxShift ||
        std::max({std::abs(d00), std::abs(d01), std::abs(d10), std::abs(d11)}) > kMaxLinear) {
        return false;
    }
    const double e0 = x[2] - d00 * cx - d01 * cy;
    const double e1 = x[5] - d10 * cx - d11 * cy;
    // The new transform is E⁻¹ after t: L' = (I + D)⁻¹ L, t' = (I + D)⁻¹ (t − e).
    const double a = 1.0 + d00;
    const double b = d01;
    const double c = d10;
    const double d = 1.0 + d11;
    const double det = a * d - b * c;
    const double i00 = d / det;
    const double i01 = -b / det;
    const double i10 = -c / det;
    const double i11 = a / det;
    const double l00 = 1.0 + t[0];
    const double l01 = t[1];
    const double l10 = t[3];
    const double l11 = 1.0 + t[4];
    const double s0 = t[2] - e0;
    const double s1 = t[5] - e1;
    t = {i00 * l00 + i01 * l10 - 1.0, i00 * l01 + i01 * l11,       i00 * s0 + i01 * s1,
         i10 * l00 + i11 * l10,       i10 * l01 + i11 * l11 - 1.0, i10 * s0 + i11 * s1};
    return true;
}

}  // namespace lumivex::recon
