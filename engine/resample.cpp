#include "engine/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/cpu_features.h"
#include "engine/cubic_row.h"
#include "engine/parallel.h"

namespace lumivex::engine {

float CubicWeight(int32_t tap, float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    switch (tap) {
        case -1:
            return (-t3 + 2.0f * t2 - t) / 2.0f;
        case 0:
            return (3.0f * t3 - 5.0f * t2 + 2.0f) / 2.0f;
        case 1:
            return (-3.0f * t3 + 4.0f * t2 + t) / 2.0f;
        case 2:
            return (t3 - t2) / 2.0f;
        default:
            return 0.0f;
    }
}

float BSplineWeight(int32_t tap, float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    switch (tap) {
        case -1: {
            const float u = 1.0f - t;
            return u * u * u / 6.0f;
        }
        case 0:
            return (3.0f * t3 - 6.0f * t2 + 4.0f) / 6.0f;
        case 1:
            return (-3.0f * t3 + 3.0f * t2 + 3.0f * t + 1.0f) / 6.0f;
        case 2:
            return t3 / 6.0f;
        default:
            return 0.0f;
    }
}

namespace {

constexpr int32_t kMaxChannels = 4;

uint8_t ClampToByte(float s) {
    return static_cast<uint8_t>(std::clamp(s + 0.5f, 0.0f, 255.0f));
}

// The frame position of the destination grid point (x, y) under T.
void TransformPoint(const AffineTransform& t, float x, float y, double& outX, double& outY) {
    outX = t[2] + (t[1] * y + (1.0 + t[0]) * x);
    outY = t[5] + ((1.0 + t[4]) * y + t[3] * x);
}

// Calls visit(i, j, x', y') for every destination pixel with its frame position under T: the
// destination grid is scaled onto the source (single precision), then transformed.
template <typename Visit>
void ForEachWarpedPosition(BytePlane dst, BytePlane src, const AffineTransform& t, Visit visit) {
    const float sy = static_cast<float>(src.rows) / static_cast<float>(dst.rows);
    const float sx = static_cast<float>(src.cols) / static_cast<float>(dst.cols);
    for (int32_t i = 0; i < dst.rows; ++i) {
        const float y = static_cast<float>(i) * sy;
        for (int32_t j = 0; j < dst.cols; ++j) {
            double fx;
            double fy;
            TransformPoint(t, static_cast<float>(j) * sx, y, fx, fy);
            visit(i, j, fx, fy);
        }
    }
}

// The largest position of src the 4 × 4 window allows, per axis.
double LastColumn(BytePlane src) {
    return src.cols - 3;
}
double LastRow(BytePlane src) {
    return src.rows - 3;
}

// Scratch for the source positions of one destination row.
struct RowPositions {
    explicit RowPositions(int32_t cols)
        : xs(static_cast<size_t>(cols)), ys(static_cast<size_t>(cols)) {}
    std::vector<double> xs;
    std::vector<double> ys;
};

// Calls fill(i, positions) for every row i of dst, rows shared out between the engine threads.
template <typename Fill>
void ForEachPositionRow(BytePlane dst, Fill fill) {
    ParallelFor(dst.rows, 4, [&](int32_t begin, int32_t end) {
        RowPositions positions(dst.cols);
        for (int32_t i = begin; i < end; ++i) {
            fill(i, positions);
        }
    });
}

// Marks the positions outside 1 … lastX, 1 … lastY (a NaN one too) and moves them to (1, 1) so
// that the sampler may read there. Written without branches so that it can use vectors.
LUMIVEX_AVX2_CLONES void MarkOutside(double* xs, double* ys, int32_t count, double lastX,
                                     double lastY, uint8_t* mark) {
    for (int32_t j = 0; j < count; ++j) {
        const double fx = xs[j];
        const double fy = ys[j];
        const bool inside = (fx >= 1.0) & (fx <= lastX) & (fy >= 1.0) & (fy <= lastY);
        mark[j] = inside ? 0 : 1;
        xs[j] = inside ? fx : 1.0;
        ys[j] = inside ? fy : 1.0;
    }
}

// The frame positions of destination row i under T, as ForEachWarpedPosition computes them.
LUMIVEX_AVX2_CLONES void WarpedPositions(const AffineTransform& t, float sx, float y, int32_t count,
                                         double* xs, double* ys) {
    for (int32_t j = 0; j < count; ++j) {
        TransformPoint(t, static_cast<float>(j) * sx, y, xs[j], ys[j]);
    }
}

void WarpedRow(BytePlane dst, BytePlane src, const AffineTransform& t, int32_t i, RowPositions& p) {
    const float sy = static_cast<float>(src.rows) / static_cast<float>(dst.rows);
    const float sx = static_cast<float>(src.cols) / static_cast<float>(dst.cols);
    WarpedPositions(t, sx, static_cast<float>(i) * sy, dst.cols, p.xs.data(), p.ys.data());
}

}  // namespace

void SampleCubic(BytePlane src, double x, double y, uint8_t* out) {
    const auto x0 = static_cast<int32_t>(std::floor(x));
    const auto y0 = static_cast<int32_t>(std::floor(y));
    const auto fx = static_cast<float>(x - x0);
    const auto fy = static_cast<float>(y - y0);
    float wx[4];
    float wy[4];
    for (int32_t k = 0; k < 4; ++k) {
        wx[k] = CubicWeight(k - 1, fx);
        wy[k] = CubicWeight(k - 1, fy);
    }
    float sum[kMaxChannels] = {};
    const int32_t channels = src.channels;
    for (int32_t dy = 0; dy < 4; ++dy) {
        const uint8_t* row = src.Row(y0 - 1 + dy) + static_cast<size_t>(x0 - 1) * channels;
        for (int32_t dx = 0; dx < 4; ++dx) {
            const float w = wx[dx] * wy[dy];
            for (int32_t ch = 0; ch < channels; ++ch) {
                sum[ch] += row[dx * channels + ch] * w;
            }
        }
    }
    for (int32_t ch = 0; ch < channels; ++ch) {
        out[ch] = ClampToByte(sum[ch]);
    }
}

namespace scalar {

void ResampleCubic(BytePlane dst, BytePlane src) {
    const float sy = static_cast<float>(src.rows) / static_cast<float>(dst.rows);
    const float sx = static_cast<float>(src.cols) / static_cast<float>(dst.cols);
    const auto lastX = static_cast<float>(LastColumn(src));
    const auto lastY = static_cast<float>(LastRow(src));
    for (int32_t i = 0; i < dst.rows; ++i) {
        const float y = std::clamp(static_cast<float>(i) * sy, 1.0f, lastY);
        for (int32_t j = 0; j < dst.cols; ++j) {
            const float x = std::clamp(static_cast<float>(j) * sx, 1.0f, lastX);
            SampleCubic(src, x, y, &dst.At(i, j));
        }
    }
}

void WarpToFrame(BytePlane dst, BytePlane src, const AffineTransform& t) {
    ForEachWarpedPosition(dst, src, t, [&](int32_t i, int32_t j, double fx, double fy) {
        fx = std::clamp(fx, 1.0, LastColumn(src));
        fy = std::clamp(fy, 1.0, LastRow(src));
        SampleCubic(src, fx, fy, &dst.At(i, j));
    });
}

void WarpToGrid(BytePlane dst, BytePlane src, uint8_t* outside, const AffineTransform& t) {
    std::memset(outside, 0, dst.PixelCount());
    ForEachWarpedPosition(dst, src, t, [&](int32_t i, int32_t j, double fx, double fy) {
        // Written as negated range tests so that a NaN position counts as outside.
        if (!(fx >= 1.0 && fx <= LastColumn(src) && fy >= 1.0 && fy <= LastRow(src))) {
            outside[static_cast<size_t>(i) * dst.cols + j] = 1;
            return;
        }
        SampleCubic(src, fx, fy, &dst.At(i, j));
    });
}

}  // namespace scalar

void ResampleNearest(BytePlane dst, BytePlane src) {
    const double sy = static_cast<double>(src.rows) / dst.rows;
    const double sx = static_cast<double>(src.cols) / dst.cols;
    const int32_t channels = dst.channels;
    ParallelFor(dst.rows, 8, [&](int32_t begin, int32_t end) {
        for (int32_t i = begin; i < end; ++i) {
            const int32_t si = std::min(static_cast<int32_t>(i * sy + 0.5), src.rows - 1);
            for (int32_t j = 0; j < dst.cols; ++j) {
                const int32_t sj = std::min(static_cast<int32_t>(j * sx + 0.5), src.cols - 1);
                std::memcpy(&dst.At(i, j),
                            src.data + (static_cast<size_t>(si) * src.cols + sj) *
                                           static_cast<size_t>(channels),
                            static_cast<size_t>(channels));
            }
        }
    });
}

void ResampleCubic(BytePlane dst, BytePlane src) {
    if (ScalarOracle() || dst.channels != 3) {
        scalar::ResampleCubic(dst, src);
        return;
    }
    const float sy = static_cast<float>(src.rows) / static_cast<float>(dst.rows);
    const float sx = static_cast<float>(src.cols) / static_cast<float>(dst.cols);
    const auto lastX = static_cast<float>(LastColumn(src));
    const auto lastY = static_cast<float>(LastRow(src));
    ForEachPositionRow(dst, [&](int32_t i, RowPositions& p) {
        const float y = std::clamp(static_cast<float>(i) * sy, 1.0f, lastY);
        for (int32_t j = 0; j < dst.cols; ++j) {
            p.xs[j] = std::clamp(static_cast<float>(j) * sx, 1.0f, lastX);
            p.ys[j] = y;
        }
        CubicRow(src, p.xs.data(), p.ys.data(), nullptr, dst.cols, dst.Row(i));
    });
}

void WarpToFrame(BytePlane dst, BytePlane src, const AffineTransform& t) {
    if (ScalarOracle() || dst.channels != 3) {
        scalar::WarpToFrame(dst, src, t);
        return;
    }
    ForEachPositionRow(dst, [&](int32_t i, RowPositions& p) {
        WarpedRow(dst, src, t, i, p);
        for (int32_t j = 0; j < dst.cols; ++j) {
            p.xs[j] = std::clamp(p.xs[j], 1.0, LastColumn(src));
            p.ys[j] = std::clamp(p.ys[j], 1.0, LastRow(src));
        }
        CubicRow(src, p.xs.data(), p.ys.data(), nullptr, dst.cols, dst.Row(i));
    });
}

void WarpToGrid(BytePlane dst, BytePlane src, uint8_t* outside, const AffineTransform& t) {
    if (ScalarOracle() || dst.channels != 3) {
        scalar::WarpToGrid(dst, src, outside, t);
        return;
    }
    ForEachPositionRow(dst, [&](int32_t i, RowPositions& p) {
        WarpedRow(dst, src, t, i, p);
        uint8_t* mark = outside + static_cast<size_t>(i) * dst.cols;
        MarkOutside(p.xs.data(), p.ys.data(), dst.cols, LastColumn(src), LastRow(src), mark);
        CubicRow(src, p.xs.data(), p.ys.data(), mark, dst.cols, dst.Row(i));
    });
}

namespace {

// The first box filter on one row: each sample with its right neighbour and the two below.
// Runs left to right in place, so every sample still sees its neighbour's old value.
void SmoothRowWithBelow(uint8_t* row, const uint8_t* below, int32_t cols, int32_t ch) {
    for (int32_t i = 0; i < (cols - 1) * ch; ++i) {
        row[i] = static_cast<uint8_t>((row[i] + row[i + ch] + below[i] + below[i + ch]) / 4);
    }
}

// The second box filter on one row: each sample with its left neighbour and the two above,
// right to left in place.
void SmoothRowWithAbove(uint8_t* row, const uint8_t* above, int32_t cols, int32_t ch) {
    for (int32_t i = cols * ch - 1; i >= ch; --i) {
        row[i] = static_cast<uint8_t>((row[i] + above[i] + row[i - ch] + above[i - ch]) / 4);
    }
}

// Runs rowPass(r, neighbour) over bands of rows in parallel, where the neighbour row (r + step)
// may belong to another band: such rows are copied before any band starts.
template <typename RowPass>
void SmoothInBands(BytePlane plane, int32_t step, RowPass rowPass) {
    const int32_t bands = std::max(1, std::min(EngineThreadCount() * 4, plane.rows / 8));
    const auto bandStart = [&](int32_t k) {
        return static_cast<int32_t>(static_cast<int64_t>(plane.rows) * k / bands);
    };
    const size_t rowBytes = static_cast<size_t>(plane.cols) * plane.channels;
    std::vector<std::vector<uint8_t>> borders(static_cast<size_t>(bands));
    ParallelFor(bands, 1, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            const int32_t border = step > 0 ? bandStart(k + 1) : bandStart(k) - 1;
            if (border >= 0 && border < plane.rows) {
                borders[k].assign(plane.Row(border), plane.Row(border) + rowBytes);
            }
        }
    });
    ParallelFor(bands, 1, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            const int32_t first = bandStart(k);
            const int32_t last = bandStart(k + 1);
            for (int32_t i = 0; i < last - first; ++i) {
                // Top to bottom for the first filter, bottom to top for the second.
                const int32_t r = step > 0 ? first + i : last - 1 - i;
                const int32_t n = r + step;
                if (n < 0 || n >= plane.rows) {
                    continue;
                }
                const bool foreign = n < first || n >= last;
                rowPass(plane.Row(r), foreign ? borders[k].data() : plane.Row(n));
            }
        }
    });
}

}  // namespace

namespace scalar {

void Smooth2x2(BytePlane plane) {
    const int32_t ch = plane.channels;
    for (int32_t r = 0; r + 1 < plane.rows; ++r) {
        SmoothRowWithBelow(plane.Row(r), plane.Row(r + 1), plane.cols, ch);
    }
    for (int32_t r = plane.rows - 1; r >= 1; --r) {
        SmoothRowWithAbove(plane.Row(r), plane.Row(r - 1), plane.cols, ch);
    }
}

}  // namespace scalar

void Smooth2x2(BytePlane plane) {
    if (ScalarOracle()) {
        scalar::Smooth2x2(plane);
        return;
    }
    const int32_t ch = plane.channels;
    SmoothInBands(plane, 1, [&](uint8_t* row, const uint8_t* below) {
        SmoothRowWithBelow(row, below, plane.cols, ch);
    });
    SmoothInBands(plane, -1, [&](uint8_t* row, const uint8_t* above) {
        SmoothRowWithAbove(row, above, plane.cols, ch);
    });
}

// Row r of HalvePlane's result.
void HalveRow(BytePlane src, BytePlane dst, int32_t r) {
    const uint8_t* top = src.Row(2 * r);
    const uint8_t* bottom = src.Row(2 * r + 1);
    uint8_t* out = dst.Row(r);
    for (int32_t c = 0; c < dst.cols; ++c) {
        for (int32_t ch = 0; ch < 3; ++ch) {
            const size_t left = static_cast<size_t>(2 * c) * 3 + ch;
            const size_t right = left + 3;
            out[c * 3 + ch] = static_cast<uint8_t>(
                (top[left] + top[right] + bottom[left] + bottom[right] + 2) / 4);
        }
    }
}

PlaneBuffer<uint8_t> HalvePlane(BytePlane src) {
    PlaneBuffer<uint8_t> half(src.rows / 2, src.cols / 2, 3);
    const BytePlane dst = half.view();
    ParallelFor(dst.rows, 8, [&](int32_t begin, int32_t end) {
        for (int32_t r = begin; r < end; ++r) {
            HalveRow(src, dst, r);
        }
    });
    return half;
}

}  // namespace lumivex::engine
