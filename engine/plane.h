// The engine's raster: rows × cols pixels of `channels` samples, row-major, first stored row
// first. A Plane is a view (the four fields, passed by value); PlaneBuffer owns zero-filled
// storage and hands out views of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "memory/huge_pages.h"

namespace lumivex::engine {

template <typename T>
struct Plane {
    int32_t rows = 0;
    int32_t cols = 0;
    int32_t channels = 0;
    T* data = nullptr;

    size_t PixelCount() const { return static_cast<size_t>(rows) * static_cast<size_t>(cols); }
    size_t SampleCount() const { return PixelCount() * static_cast<size_t>(channels); }
    // Interleaved layout: (row × cols + col) × channels + channel.
    size_t Index(int32_t row, int32_t col, int32_t channel = 0) const {
        return (static_cast<size_t>(row) * static_cast<size_t>(cols) + static_cast<size_t>(col)) *
                   static_cast<size_t>(channels) +
               static_cast<size_t>(channel);
    }
    T& At(int32_t row, int32_t col, int32_t channel = 0) const {
        return data[Index(row, col, channel)];
    }
    T* Row(int32_t row) const {
        return data +
               static_cast<size_t>(row) * static_cast<size_t>(cols) * static_cast<size_t>(channels);
    }
};

using BytePlane = Plane<uint8_t>;
using IntPlane = Plane<int32_t>;
using RealPlane = Plane<double>;

// Frees what calloc gave.
struct FreeStorage {
    void operator()(void* p) const { std::free(p); }
};

// Zero-filled storage of count samples. calloc rather than a value-initialised vector: large
// blocks come straight from the system already zeroed, so no thread clears them up front and
// their pages are first touched by whichever (possibly parallel) stage writes them, on huge
// pages where the block is large enough (AdviseHugePages).
template <typename T>
std::unique_ptr<T, FreeStorage> ZeroedStorage(size_t count) {
    static_assert(std::is_trivially_copyable_v<T>, "samples are plain numbers");
    if (count == 0) {
        return nullptr;
    }
    void* p = std::calloc(count, sizeof(T));
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    memory::AdviseHugePages(p, count * sizeof(T));
    return std::unique_ptr<T, FreeStorage>(static_cast<T*>(p));
}

template <typename T>
class PlaneBuffer {
public:
    PlaneBuffer() = default;
    PlaneBuffer(int32_t rows, int32_t cols, int32_t channels)
        : storage_(ZeroedStorage<T>(static_cast<size_t>(rows) * static_cast<size_t>(cols) *
                                    static_cast<size_t>(channels))),
          plane_{rows, cols, channels, storage_.get()} {}
    PlaneBuffer(const PlaneBuffer&) = delete;
    PlaneBuffer& operator=(const PlaneBuffer&) = delete;
    PlaneBuffer(PlaneBuffer&& other) noexcept { *this = std::move(other); }
    PlaneBuffer& operator=(PlaneBuffer&& other) noexcept {
        storage_ = std::move(other.storage_);
        plane_ = other.plane_;
        other.plane_ = {};
        return *this;
    }

    const Plane<T>& view() const { return plane_; }
    operator Plane<T>() const { return plane_; }

private:
    std::unique_ptr<T, FreeStorage> storage_;
    Plane<T> plane_;
};

}  // namespace lumivex::engine
