// Writing of bitmap files: a 14-byte file header followed by the image block as it is.
#include "image/bmp_codec.h"
#include "image/byte_order.h"

namespace lumivex {

bool BmpCodec::Encode(ImageStream& stream, const RgbImage& image) {
    ClearFailure();
    if (image.IsEmpty() || !stream.IsOpen())
        return Fail("nothing to write");
    const int32_t blockBytes = image.DibByteCount();
    uint8_t fileHeader[14] = {'B', 'M'};
    StoreLe32(fileHeader + 2, static_cast<uint32_t>(blockBytes) + 14);
    StoreLe32(fileHeader + 10,
              static_cast<uint32_t>(kDibHeaderSize + image.PaletteByteCount() + 14));
    if (stream.Write(fileHeader, sizeof fileHeader) != static_cast<int32_t>(sizeof fileHeader) ||
        stream.Write(image.Block(), blockBytes) != blockBytes) {
        return Fail("write failed");
    }
    return true;
}

}  // namespace lumivex
