// Windows bitmap files: reads every common variant (core, information, 64-byte and later
// headers; 1/4/8-bit palettes, 8- and 4-bit run-length data, 16-bit 5-5-5 and bit fields, 24 and
// 32 bits; top-down rows; a bare information block without file header) and writes the block of
// an RgbImage after a 14-byte file header.
#pragma once

#include "image/image_codec.h"

namespace lumivex {

class BmpCodec : public ImageCodec {
public:
    const char* DefaultExtension() const override { return ".bmp"; }
    const char* FormatName() const override { return "bmp"; }
    // The picture comes out at 1, 4 or 8 bits with the file's palette, or at 24 bits; upright
    // (first stored row = bottom row) and with the file's resolution. Pixels a short or
    // run-length file does not cover are 0.
    bool Decode(ImageStream& stream, RgbImage& image) override;
    // File header, then the image block as it is. False for an empty image or a short write.
    bool Encode(ImageStream& stream, const RgbImage& image) override;
};

}  // namespace lumivex
