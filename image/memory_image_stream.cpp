#include <algorithm>
#include <cstring>

#include "image/image_stream.h"

namespace lumivex {

int32_t MemoryImageStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || !buffer || position_ >= data_.size())
        return 0;
    const size_t n = std::min(static_cast<size_t>(count), data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return static_cast<int32_t>(n);
}

int32_t MemoryImageStream::Write(const void* buffer, int32_t count) {
    if (count <= 0 || !buffer || position_ >= capacity_)
        return 0;
    const size_t n = std::min(static_cast<size_t>(count), capacity_ - position_);
    if (position_ + n > data_.size())
        data_.resize(position_ + n);
    std::memcpy(data_.data() + position_, buffer, n);
    position_ += n;
    return static_cast<int32_t>(n);
}

int MemoryImageStream::ReadByte() {
    return position_ < data_.size() ? data_[position_++] : -1;
}

bool MemoryImageStream::WriteByte(uint8_t value) {
    return Write(&value, 1) == 1;
}

bool MemoryImageStream::Seek(int32_t distance, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::kCurrent)
        base = static_cast<int64_t>(position_);
    if (origin == SeekOrigin::kEnd)
        base = static_cast<int64_t>(data_.size());
    const int64_t target = base + distance;
    if (target < 0)
        return false;
    position_ = static_cast<size_t>(target);
    return true;
}

bool MemoryImageStream::Truncate() {
    if (position_ < data_.size())
        data_.resize(position_);
    return true;
}

}  // namespace lumivex
