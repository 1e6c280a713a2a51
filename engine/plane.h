// The engine's raster: rows × cols pixels of `channels` samples, row-major, first stored row
// first. A Plane is a view (the four fields, passed by value); PlaneBuffer owns zero-filled
// storage and hands out views of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

template <typename T>
class PlaneBuffer {
public:
    PlaneBuffer() = default;
    PlaneBuffer(int32_t rows, int32_t cols, int32_t channels)
        : storage_(static_cast<size_t>(rows) * static_cast<size_t>(cols) *
                   static_cast<size_t>(channels)),
          plane_{rows, cols, channels, storage_.data()} {}
    PlaneBuffer(const PlaneBuffer&) = delete;
    PlaneBuffer& operator=(const PlaneBuffer&) = delete;
    PlaneBuffer(PlaneBuffer&& other) noexcept { *this = std::move(other); }
    PlaneBuffer& operator=(PlaneBuffer&& other) noexcept {
        storage_ = std::move(other.storage_);
        plane_ = other.plane_;
        plane_.data = storage_.data();
        other.storage_.clear();
        other.plane_ = {};
        return *this;
    }

    const Plane<T>& view() const { return plane_; }
    operator Plane<T>() const { return plane_; }

private:
    std::vector<T> storage_;
    Plane<T> plane_;
};

}  // namespace lumivex::engine
