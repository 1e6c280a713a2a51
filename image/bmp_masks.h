// Packed 16- and 32-bit pixels of the later (52-, 56-, 108- and 124-byte) bitmap headers, read
// as their bit-field masks say: each channel scaled from its own width to 8 bits with rounding,
// wherever in the pixel it lies, and an alpha channel composited on white.
#pragma once

#include <cstdint>

#include "image/image_stream.h"
#include "image/rgb_image.h"

namespace lumivex {

struct BmpChannelMasks {
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t alpha = 0;  // 0: every pixel opaque
};

// Reads |height| rows of bitsPerPixel (16 or 32) pixels from the stream into the 24-bit image,
// first stored row first. Rows the data does not reach stay as they are, and the result is false
// when there are any.
bool ReadMaskedPixels(ImageStream& stream, int bitsPerPixel, const BmpChannelMasks& masks,
                      RgbImage& image);

}  // namespace lumivex
