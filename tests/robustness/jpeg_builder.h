// Small JPEG files made with libjpeg directly (baseline or progressive, any sampling), and the
// edits hostile files make to them: a frame header claiming another size, an inserted EXIF block.
#pragma once

#include <cstdint>

#include "tests/robustness/damage.h"

namespace lumivex::robustness {

struct JpegFields {
    int32_t width = 48;
    int32_t height = 32;
    bool progressive = false;
    bool fullChroma = false;  // 4:4:4 instead of the default 4:2:0
    bool grey = false;
};

Bytes BuildJpeg(const JpegFields& fields);

// Rewrites the size in the first frame header (SOF0/SOF2); false when there is none.
bool SetJpegFrameSize(Bytes& jpeg, uint16_t width, uint16_t height);

// Inserts an APP1 section holding "Exif\0\0" + tiff right after the start-of-image marker.
Bytes WithExif(const Bytes& jpeg, const Bytes& tiff);

// A little-endian TIFF block: header, then one directory at offset 8 with the given 12-byte
// entries and a zero next-directory link, then extra bytes (values referenced by offset).
struct TiffEntry {
    uint16_t tag;
    uint16_t format;
    uint32_t count;
    uint32_t value;  // the value itself or its offset
};
Bytes BuildTiff(const std::vector<TiffEntry>& entries, const Bytes& extra = {});
// Offset in a BuildTiff block at which extra bytes start.
uint32_t TiffExtraOffset(size_t entryCount);

}  // namespace lumivex::robustness
