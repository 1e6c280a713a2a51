// TIFF files through libtiff. Reading: the first picture of the file, with 8- or 16-bit grey,
// grey with alpha, RGB, RGBA and 8-bit palette samples read line by line (16 bits reduced to 8
// with rounding, alpha composited on white), and every other layout libtiff can turn into
// RGBA (tiles, separate planes, 1/2/4-bit, YCbCr, CMYK, ...) through its RGBA interface. The
// result is always a 24-bit picture; XResolution/YResolution give the resolution (96 dpi
// without them or without a unit). Writing: 8-bit RGB, deflate-compressed with horizontal
// differencing, the resolution in dots per inch.
#pragma once

#include "image/image_codec.h"

namespace lumivex {

class TiffCodec : public ImageCodec {
public:
    const char* DefaultExtension() const override { return ".tif"; }
    const char* FormatName() const override { return "tiff"; }
    // Fails (image empty) on a damaged or truncated file and on a picture beyond the size
    // limit, which is checked against the header before anything is allocated.
    bool Decode(ImageStream& stream, RgbImage& image) override;
    // Only 24-bit pictures; false for anything else or when the stream refuses the bytes.
    bool Encode(ImageStream& stream, const RgbImage& image) override;
};

}  // namespace lumivex
