#include "image/jpeg_codec.h"

namespace lumivex {

// Temporary: the libjpeg-backed codec replaces these two functions.
bool JpegCodec::Decode(ImageStream&, RgbImage& image) {
    image.Release();
    return Fail("JPEG support is not built yet");
}

bool JpegCodec::Encode(ImageStream&, const RgbImage&) {
    return Fail("JPEG support is not built yet");
}

}  // namespace lumivex
