// Checks the fuzz targets run on whatever a reader accepted: every byte it claims to hold is
// read, so AddressSanitizer sees a buffer shorter than its header says.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/rgb_image.h"

namespace lumivex::fuzz {

inline void TouchBytes(const uint8_t* bytes, size_t count) {
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    (void)sum;
}

inline void TouchPicture(const RgbImage& image) {
    if (image.IsEmpty())
        return;
    const int32_t rows = image.Height() < 0 ? -image.Height() : image.Height();
    TouchBytes(image.Bits(), static_cast<size_t>(image.Stride()) * static_cast<size_t>(rows));
    if (image.Palette() != nullptr)
        TouchBytes(image.Palette(), static_cast<size_t>(image.PaletteByteCount()));
}

}  // namespace lumivex::fuzz
