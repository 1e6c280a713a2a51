#include "reconstruct/float_plane.h"

#include <algorithm>

#include "engine/parallel.h"

namespace lumivex::recon {

namespace {

// Samples per reduction block: the block boundaries, not the threads, fix the order of the sums.
constexpr size_t kBlock = size_t{1} << 14;

int32_t BlockCount(size_t size) {
    return static_cast<int32_t>((size + kBlock - 1) / kBlock);
}

// Calls body(begin, end) for every fixed block of [0, size).
void ForEachBlock(size_t size, const std::function<void(size_t, size_t)>& body) {
    ForEachIndex(BlockCount(size), [&](int32_t b) {
        const size_t begin = static_cast<size_t>(b) * kBlock;
        body(begin, std::min(size, begin + kBlock));
    });
}

}  // namespace

void ForEachIndex(int32_t count, const std::function<void(int32_t)>& body) {
    engine::ParallelFor(count, 1, [&](int32_t begin, int32_t end) {
        for (int32_t i = begin; i < end; ++i) {
            body(i);
        }
    });
}

double Dot(const FloatPlane& a, const FloatPlane& b) {
    std::vector<double> partial(static_cast<size_t>(BlockCount(a.Size())), 0.0);
    ForEachBlock(a.Size(), [&](size_t begin, size_t end) {
        double sum = 0.0;
        for (size_t i = begin; i < end; ++i) {
            sum += static_cast<double>(a.data[i]) * b.data[i];
        }
        partial[begin / kBlock] = sum;
    });
    double total = 0.0;
    for (const double p : partial) {
        total += p;
    }
    return total;
}

double Sum(const FloatPlane& a) {
    std::vector<double> partial(static_cast<size_t>(BlockCount(a.Size())), 0.0);
    ForEachBlock(a.Size(), [&](size_t begin, size_t end) {
        double sum = 0.0;
        for (size_t i = begin; i < end; ++i) {
            sum += a.data[i];
        }
        partial[begin / kBlock] = sum;
    });
    double total = 0.0;
    for (const double p : partial) {
        total += p;
    }
    return total;
}

void AddScaled(FloatPlane& y, double alpha, const FloatPlane& x) {
    const auto a = static_cast<float>(alpha);
    ForEachBlock(y.Size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            y.data[i] += a * x.data[i];
        }
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
    std::fill(plane.data.begin(), plane.data.end(), value);
}

void CopyPlane(FloatPlane& dst, const FloatPlane& src) {
    std::copy(src.data.begin(), src.data.end(), dst.data.begin());
}

}  // namespace lumivex::recon
