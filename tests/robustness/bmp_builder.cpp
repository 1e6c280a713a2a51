#include "tests/robustness/bmp_builder.h"

namespace lumivex::robustness {

Bytes BuildBmp(const BmpFields& fields) {
    const uint32_t paletteBytes = fields.paletteEntriesWritten * 4;
    const uint32_t naturalOffset = 14 + 40 + paletteBytes;
    Bytes bytes(naturalOffset, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe32(bytes, 2, static_cast<uint32_t>(naturalOffset + fields.pixels.size()));
    PutLe32(bytes, 10, fields.pixelOffset != 0 ? fields.pixelOffset : naturalOffset);
    PutLe32(bytes, 14, 40);
    PutLe32(bytes, 18, static_cast<uint32_t>(fields.width));
    PutLe32(bytes, 22, static_cast<uint32_t>(fields.height));
    PutLe16(bytes, 26, 1);
    PutLe16(bytes, 28, fields.bits);
    PutLe32(bytes, 30, fields.compression);
    PutLe32(bytes, 34, static_cast<uint32_t>(fields.pixels.size()));
    PutLe32(bytes, 38, 3780);
    PutLe32(bytes, 42, 3780);
    PutLe32(bytes, 46, fields.coloursUsed);
    for (uint32_t i = 0; i < fields.paletteEntriesWritten; ++i) {
        const uint8_t grey = static_cast<uint8_t>(
            i * 255 / (fields.paletteEntriesWritten > 1 ? fields.paletteEntriesWritten - 1 : 1));
        bytes[54 + i * 4] = grey;
        bytes[54 + i * 4 + 1] = grey;
        bytes[54 + i * 4 + 2] = grey;
    }
    bytes.insert(bytes.end(), fields.pixels.begin(), fields.pixels.end());
    return bytes;
}

}  // namespace lumivex::robustness
