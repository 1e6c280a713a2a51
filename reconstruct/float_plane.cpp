#include "reconstruct/float_plane.h"

#include <algorithm>

#include "engine/cpu_features.h"
#include "engine/parallel.h"

namespace lumivex::recon {

namespace {

// Samples per reduction block: the block boundaries, not the threads, fix the order of the sums.
constexpr size_t kBlock = size_t{1} << 14;
// Ranges of indices handed out per thread: enough for a frame's few dozen bands of uneven cost to
// go out one by one (a thread left idle at the end of a pass waits for half a range on average).
constexpr int32_t kRangesPerThread = 32;
// Interleaved partial sums of a dot product within a block.
constexpr size_t kLanes = 8;

int32_t BlockCount(size_t size) {
    return static_cast<int32_t>((size + kBlock - 1) / kBlock);
}

// Σ a[i]·b[i] over [0, n) in kLanes interleaved double sums (independent chains that vectorise),
// added pairwise at the end: the order is fixed by the lanes, not by the instruction set.
LUMIVEX_AVX2_CLONES double BlockDot(const float* a, const float* b, size_t n) {
    double lanes[kLanes] = {};
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        for (size_t l = 0; l < kLanes; ++l) {
            lanes[l] += static_cast<double>(a[i + l]) * b[i + l];
        }
    }
    for (; i < n; ++i) {
        lanes[0] += static_cast<double>(a[i]) * b[i];
    }
    for (size_t width = kLanes / 2; width > 0; width /= 2) {
        for (size_t l = 0; l < width; ++l) {
            lanes[l] += lanes[l + width];
        }
    }
    return lanes[0];
}

double SumOfBlocks(size_t size, const std::function<double(size_t, size_t)>& block) {
    std::vector<double> partial(static_cast<size_t>(BlockCount(size)), 0.0);
    ForEachBlock(size,
                 [&](size_t begin, size_t end) { partial[begin / kBlock] = block(begin, end); });
    double total = 0.0;
    for (const double p : partial) {
        total += p;
    }
    return total;
}

}  // namespace

FloatPlane::FloatPlane(int32_t rows, int32_t cols)
    : rows(rows), cols(cols), data(static_cast<size_t>(rows) * static_cast<size_t>(cols)) {
    Fill(*this, 0.0F);
}

void ForEachIndex(int32_t count, const std::function<void(int32_t)>& body) {
    engine::ParallelFor(
        count, 1,
        [&](int32_t begin, int32_t end) {
            for (int32_t i = begin; i < end; ++i) {
                body(i);
            }
        },
        kRangesPerThread);
}

void ForEachBlock(size_t size, const std::function<void(size_t, size_t)>& body) {
    ForEachIndex(BlockCount(size), [&](int32_t b) {
        const size_t begin = static_cast<size_t>(b) * kBlock;
        body(begin, std::min(size, begin + kBlock));
    });
}

double Dot(const FloatPlane& a, const FloatPlane& b) {
    return SumOfBlocks(a.Size(), [&](size_t begin, size_t end) {
        return BlockDot(a.data.data() + begin, b.data.data() + begin, end - begin);
    });
}

double StepAndResidualNorm(FloatPlane& x, FloatPlane& r, double alpha, const FloatPlane& d,
                           const FloatPlane& q) {
    const auto a = static_cast<float>(alpha);
    return SumOfBlocks(x.Size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            x.data[i] += a * d.data[i];
            r.data[i] -= a * q.data[i];
        }
        return BlockDot(r.data.data() + begin, r.data.data() + begin, end - begin);
    });
}

double Sum(const FloatPlane& a) {
    return SumOfBlocks(a.Size(), [&](size_t begin, size_t end) {
        double sum = 0.0;
        for (size_t i = begin; i < end; ++i) {
            sum += a.data[i];
        }
        return sum;
    });
}

void ScaleAndAdd(FloatPlane& y, double beta, const FloatPlane& x) {
    const auto b = static_cast<float>(beta);
    ForEachBlock(y.Size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            y.data[i] = x.data[i] + b * y.data[i];
        }
    });
}

void Scale(FloatPlane& y, double factor) {
    const auto f = static_cast<float>(factor);
    ForEachBlock(y.Size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            y.data[i] *= f;
        }
    });
}

void Fill(FloatPlane& plane, float value) {
    ForEachBlock(plane.Size(), [&](size_t begin, size_t end) {
        std::fill(plane.data.begin() + begin, plane.data.begin() + end, value);
    });
}

void CopyPlane(FloatPlane& dst, const FloatPlane& src) {
    ForEachBlock(src.Size(), [&](size_t begin, size_t end) {
        std::copy(src.data.begin() + begin, src.data.begin() + end, dst.data.begin() + begin);
    });
}

}  // namespace lumivex::recon
