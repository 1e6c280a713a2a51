#include "reconstruct/blur_estimate.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

namespace lumivex::recon {

namespace {

using Complex = std::complex<double>;

// The bands, in cycles per input pixel: coarse detail well inside what one frame resolves, and
// fine detail beyond its sampling limit (0.5), which only the frames together show.
constexpr double kCoarseFrom = 0.16;
constexpr double kCoarseTo = 0.32;
constexpr double kFineFrom = 0.5;
constexpr double kFineTo = 0.6;
// Tiles span about this many input pixels (a power of two in output pixels).
constexpr double kTileInputPixels = 32.0;
// The log10 ratio below which the picture reads as blurred: sharp scenes' pictures after one
// round show at least about this much fine detail.
constexpr double kSharpRatio = -1.38;

// In-place radix-2 transform of a power-of-two length.
void Transform(std::vector<Complex>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        const Complex step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1.0, 0.0);
            for (size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

int32_t TileSize(double scale) {
    int32_t size = 16;
    while (size < kTileInputPixels * scale) {
        size *= 2;
    }
    return size;
}

// Frequency of transform bin i of n, in cycles per sample, folded to [0, 0.5].
double BinFrequency(int32_t i, int32_t n) {
    return static_cast<double>(std::min(i, n - i)) / n;
}

// Adds the tile's windowed power per band into coarse and fine.
void AddTilePower(const FloatPlane& picture, int32_t row0, int32_t col0, int32_t size,
                  const std::vector<double>& window, double scale, double& coarse, double& fine) {
    std::vector<Complex> grid(static_cast<size_t>(size) * size);
    double mean = 0.0;
    for (int32_t r = 0; r < size; ++r) {
        const float* row = picture.Row(row0 + r) + col0;
        for (int32_t c = 0; c < size; ++c) {
            mean += row[c];
        }
    }
    mean /= static_cast<double>(size) * size;
    std::vector<Complex> line(size);
    for (int32_t r = 0; r < size; ++r) {
        const float* row = picture.Row(row0 + r) + col0;
        for (int32_t c = 0; c < size; ++c) {
            line[c] = (row[c] - mean) * window[r] * window[c];
        }
        Transform(line);
        std::copy(line.begin(), line.end(), grid.begin() + static_cast<ptrdiff_t>(r) * size);
    }
    for (int32_t c = 0; c < size; ++c) {
        for (int32_t r = 0; r < size; ++r) {
            line[r] = grid[static_cast<size_t>(r) * size + c];
        }
        Transform(line);
        const double fx = BinFrequency(c, size) * scale;
        for (int32_t r = 0; r < size; ++r) {
            const double fy = BinFrequency(r, size) * scale;
            const double f = std::hypot(fx, fy);
            const double power = std::norm(line[r]);
            if (f >= kCoarseFrom && f < kCoarseTo) {
                coarse += power;
            } else if (f >= kFineFrom && f < kFineTo) {
                fine += power;
            }
        }
    }
}

// Number of transform bins of an n × n tile in a band (per input pixel, scale given).
double BinsIn(int32_t n, double scale, double from, double to) {
    double count = 0.0;
    for (int32_t r = 0; r < n; ++r) {
        for (int32_t c = 0; c < n; ++c) {
            const double f = std::hypot(BinFrequency(c, n), BinFrequency(r, n)) * scale;
            count += (f >= from && f < to) ? 1.0 : 0.0;
        }
    }
    return count;
}

// Mean of f² over [from, to]: where a Gaussian's attenuation of a band is taken.
double MeanSquare(double from, double to) {
    return (from * from + from * to + to * to) / 3.0;
}

}  // namespace

double FineDetailRatio(const FloatPlane& picture, double scale) {
    const int32_t size = TileSize(scale);
    if (picture.rows < size || picture.cols < size || kFineTo > 0.5 * scale) {
        return 0.0;
    }
    std::vector<double> window(size);
    for (int32_t i = 0; i < size; ++i) {
        window[i] = std::sin(std::numbers::pi * (i + 0.5) / size);
    }
    double coarse = 0.0;
    double fine = 0.0;
    for (int32_t r = 0; r + size <= picture.rows; r += size) {
        for (int32_t c = 0; c + size <= picture.cols; c += size) {
            AddTilePower(picture, r, c, size, window, scale, coarse, fine);
        }
    }
    if (coarse <= 0.0 || fine <= 0.0) {
        return 0.0;
    }
    const double perBin =
        BinsIn(size, scale, kCoarseFrom, kCoarseTo) / BinsIn(size, scale, kFineFrom, kFineTo);
    return std::log10(fine / coarse * perBin);
}

double OpticalBlurOfRatio(double log10Ratio) {
    const double excess = (kSharpRatio - log10Ratio) * std::numbers::ln10;
    if (excess <= 0.0) {
        return 0.0;
    }
    const double spread = MeanSquare(kFineFrom, kFineTo) - MeanSquare(kCoarseFrom, kCoarseTo);
    const double sigma = std::sqrt(excess / (4.0 * std::numbers::pi * std::numbers::pi * spread));
    return std::min(sigma, kMaxOpticalBlur);
}

double EstimateOpticalBlur(const FloatPlane& picture, double scale) {
    return OpticalBlurOfRatio(FineDetailRatio(picture, scale));
}

}  // namespace lumivex::recon
