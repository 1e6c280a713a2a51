// A custom FFmpeg I/O context that reads a file held in memory, so that the decoding layer can
// open bytes that never touched the disk (tests, fuzzers).
#pragma once

#include <cstdint>
#include <vector>

#include "video/av_owners.h"

namespace lumivex::video {

class MemoryInput {
public:
    explicit MemoryInput(std::vector<uint8_t> bytes);
    MemoryInput(const MemoryInput&) = delete;
    MemoryInput& operator=(const MemoryInput&) = delete;

    // The I/O context reading the bytes; null when it could not be allocated. Owned here; it
    // must outlive the format context that reads through it.
    AVIOContext* Context() const { return io_.get(); }

private:
    static int Read(void* opaque, uint8_t* buffer, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);

    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
    IoContextPtr io_;
};

}  // namespace lumivex::video
