// Buffered byte-at-a-time reading over an ImageStream, for parsers that walk small records
// (run-length pairs, marker bytes) and would otherwise make one stream call per byte.
#pragma once

#include <cstdint>

#include "image/image_stream.h"

namespace lumivex {

class ByteReader {
public:
    explicit ByteReader(ImageStream& stream) : stream_(stream) {}

    // The next byte (0..255), or -1 once the stream has no more.
    int Next() {
        if (position_ == available_ && !Refill())
            return -1;
        return buffer_[position_++];
    }

private:
    bool Refill() {
        available_ = stream_.Read(buffer_, static_cast<int32_t>(sizeof buffer_));
        position_ = 0;
        return available_ > 0;
    }

    ImageStream& stream_;
    uint8_t buffer_[4096];
    int32_t position_ = 0;
    int32_t available_ = 0;
};

}  // namespace lumivex
