// JPEG files through libjpeg (API 62): baseline and progressive reading into 24-bit pictures
// (8-bit with a grey palette for greyscale files), writing 24-bit pictures at quality 75 (or the
// quality SetJpegQuality chose). The
// resolution comes from an EXIF block when one parses, otherwise from the JFIF density.
#pragma once

#include "image/image_codec.h"

namespace lumivex {

inline constexpr int kDefaultJpegQuality = 75;

// The quality (1 ... 100, clamped) every JPEG is encoded at from now on, in every thread; for a
// program that writes its pictures at a quality its user chose. The default is 75.
void SetJpegQuality(int quality);
int JpegQuality();

class JpegCodec : public ImageCodec {
public:
    const char* DefaultExtension() const override { return ".jpg"; }
    const char* FormatName() const override { return "jpeg"; }
    bool Decode(ImageStream& stream, RgbImage& image) override;
    // Only 24-bit pictures; anything else returns false without writing.
    bool Encode(ImageStream& stream, const RgbImage& image) override;
};

}  // namespace lumivex
