// The reconstruction's working raster: one channel of single-precision samples, row-major, first
// stored row first, and the whole-plane arithmetic of the solver. Every reduction adds fixed
// blocks in a fixed order, so its result does not depend on the number of threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "memory/huge_pages.h"

namespace lumivex::recon {

// Leaves new samples uninitialised: FloatPlane zeroes its own on the engine's threads, which
// first touch the storage, on huge pages where it is large enough.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    T* allocate(size_t n) {
        T* p = std::allocator<T>::allocate(n);
        memory::AdviseHugePages(p, n * sizeof(T));
        return p;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0) {
            ::new (static_cast<void*>(p)) U;
        } else {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    }
};

struct FloatPlane {
    FloatPlane() = default;
    // rows × cols zeroes.
    FloatPlane(int32_t rows, int32_t cols);

    float* Row(int32_t row) { return data.data() + static_cast<size_t>(row) * cols; }
    const float* Row(int32_t row) const { return data.data() + static_cast<size_t>(row) * cols; }
    size_t Size() const { return data.size(); }

    int32_t rows = 0;
    int32_t cols = 0;
    std::vector<float, UninitialisedAllocator<float>> data;
};

// Σ a·b, accumulated in double over fixed blocks.
double Dot(const FloatPlane& a, const FloatPlane& b);
// Σ a, likewise.
double Sum(const FloatPlane& a);
// x = x + alpha·d and r = r − alpha·q in one pass; returns Σ r² of the new r (as Dot(r, r)).
double StepAndResidualNorm(FloatPlane& x, FloatPlane& r, double alpha, const FloatPlane& d,
                           const FloatPlane& q);
// y = x + beta·y.
void ScaleAndAdd(FloatPlane& y, double beta, const FloatPlane& x);
// y = factor·y.
void Scale(FloatPlane& y, double factor);
// Every sample set to value.
void Fill(FloatPlane& plane, float value);
// dst = src (same size).
void CopyPlane(FloatPlane& dst, const FloatPlane& src);

// Calls body(i) for every i in [0, count) on the engine's threads; bodies must be independent.
void ForEachIndex(int32_t count, const std::function<void(int32_t)>& body);
// Calls body(begin, end) for fixed blocks of samples covering [0, size), on the engine's threads.
void ForEachBlock(size_t size, const std::function<void(size_t, size_t)>& body);

}  // namespace lumivex::recon
