#include "video/memory_input.h"

#include <algorithm>
#include <cstring>

namespace lumivex::video {

namespace {
constexpr int kIoBufferSize = 64 * 1024;
}

MemoryInput::MemoryInput(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (buffer == nullptr) {
        return;
    }
    io_.reset(avio_alloc_context(buffer, kIoBufferSize, 0, this, &MemoryInput::Read, nullptr,
                                 &MemoryInput::Seek));
    if (!io_) {
        av_free(buffer);
    }
}

int MemoryInput::Read(void* opaque, uint8_t* buffer, int size) {
    auto* self = static_cast<MemoryInput*>(opaque);
    const size_t left = self->bytes_.size() - self->position_;
    if (left == 0 || size <= 0) {
        return AVERROR_EOF;
    }
    const size_t count = std::min(left, static_cast<size_t>(size));
    std::memcpy(buffer, self->bytes_.data() + self->position_, count);
    self->position_ += count;
    return static_cast<int>(count);
}

int64_t MemoryInput::Seek(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<MemoryInput*>(opaque);
    const auto size = static_cast<int64_t>(self->bytes_.size());
    if (whence & AVSEEK_SIZE) {
        return size;
    }
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            base = 0;
            break;
        case SEEK_CUR:
            base = static_cast<int64_t>(self->position_);
            break;
        case SEEK_END:
            base = size;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if ((offset > 0 && base > size - offset) || base + offset < 0) {
        return AVERROR(EINVAL);
    }
    self->position_ = static_cast<size_t>(base + offset);
    return base + offset;
}

}  // namespace lumivex::video
