// Bitmap files put together field by field, so that tests can state any header a hostile file
// might carry.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/robustness/damage.h"

namespace lumivex::robustness {

struct BmpFields {
    int32_t width = 4;
    int32_t height = 4;
    uint16_t bits = 8;
    uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    uint32_t coloursUsed = 0;
    uint32_t paletteEntriesWritten = 0;  // 4-byte entries stored after the header
    uint32_t pixelOffset = 0;            // 0: right after the palette
    Bytes pixels;                        // stored as they are
};

// File header, 40-byte information header, palette (grey ramp), pixels.
Bytes BuildBmp(const BmpFields& fields);

}  // namespace lumivex::robustness
