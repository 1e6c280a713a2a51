// One decoded picture as the decoding layer hands it out: 24-bit B, G, R pixels, rows bottom-up
// (the first stored row is the bottom line of the picture), each row padded to a multiple of 4
// bytes, exactly the pixel block of a 24-bit device-independent bitmap.
#pragma once

#include <cstdint>
#include <vector>

namespace lumivex::video {

struct BgrFrame {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;  // bytes per stored row
    int32_t bitsPerPixel = 24;
    int64_t frameIndex = 0;      // position in frames (0 = first frame)
    int64_t mediaTime = 0;       // position in 100-ns units from the start of the stream
    std::vector<uint8_t> bytes;  // stride * height bytes

    static int32_t StrideFor(int32_t width) { return (width * 3 + 3) / 4 * 4; }
};

}  // namespace lumivex::video
