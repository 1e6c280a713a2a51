// Run-length decoding of bitmap pixel data into a 1-, 4- or 8-bit image.
#pragma once

#include "image/image_stream.h"
#include "image/rgb_image.h"

namespace lumivex {

enum class BmpRunLength { kEightBit, kFourBit };

// Decodes (count, value) pairs from the stream until the end-of-bitmap escape or the end of the
// stream, starting at the bottom-left pixel. Pixels that would land outside the picture are
// dropped; reading goes on. False when the stream ends first with rows still to come.
bool DecodeBmpRunLength(ImageStream& stream, BmpRunLength variant, RgbImage& image);

}  // namespace lumivex
