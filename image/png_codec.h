// PNG files through libspng. Reading takes every PNG colour type and depth: grey, grey with
// alpha, palette (with or without transparency), RGB and RGBA at 1 to 16 bits per sample.
// 16-bit samples are reduced to 8 bits with rounding, transparent pixels are composited on
// white, and the result is always a 24-bit picture; pHYs in pixels per metre gives the
// resolution (96 dpi without it). Writing stores a 24-bit picture as 8-bit RGB with a pHYs
// chunk from the picture's resolution.
#pragma once

#include "image/image_codec.h"

namespace lumivex {

class PngCodec : public ImageCodec {
public:
    const char* DefaultExtension() const override { return ".png"; }
    const char* FormatName() const override { return "png"; }
    // Fails (image empty) on a damaged or truncated file and on a picture beyond the size
    // limit, which is checked against the header before anything is allocated.
    bool Decode(ImageStream& stream, RgbImage& image) override;
    // Only 24-bit pictures; false for anything else or when the stream refuses the bytes.
    bool Encode(ImageStream& stream, const RgbImage& image) override;
};

}  // namespace lumivex
