// The two calls into libjpeg made by the JPEG codec. Each sets its return point for fatal library
// errors itself and keeps every piece of library state in the plain-data record it is given, so
// that a fatal error, which returns straight to that point, never skips a destructor.
#pragma once

#include "image/image_stream.h"
#include "image/jpeg_managers.h"
#include "image/rgb_image.h"

namespace lumivex {

// The most working memory the library may take while decoding one picture. Files of several
// scans (progressive ones) keep whole-image coefficient buffers of 128 bytes per 8 x 8 block of
// every component: twice the pixel bytes for one or three components at full resolution, and
// 8/3 of them for four (whose picture has 3 bytes a pixel), so a picture at the pixel limit
// needs up to about 683,000,000 bytes. The rest covers the rounding of every component to
// whole sampling units (under 18,000,000 bytes at the largest dimensions) and the library's
// row buffers.
constexpr int64_t kMaxJpegWorkingBytes = 3 * kMaxPixelDataBytes;

struct JpegDecodeState {
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    JpegSource source;
    int components;  // colour components in the file (1 grey, 3 colour, 4 CMYK)
    // The JFIF density as the library reports it (unit 0 and 1 x 1 when the file has no JFIF
    // header).
    int densityUnit;
    int xDensity;
    int yDensity;
};

struct JpegEncodeState {
    jpeg_compress_struct info;
    JpegErrorManager errors;
    JpegDestination destination;
};

// Decodes the picture at the stream's position into image: 8 bits with a grey palette for one
// component, 24 bits B,G,R for three, 24 bits scaled by the fourth channel for four. False on
// any fatal library error, with state->errors.message saying why; image may then hold a
// partial picture, which the caller releases.
bool DecodeJpegPixels(JpegDecodeState* state, ImageStream* stream, RgbImage* image);

// Encodes a 24-bit image at JpegQuality() with baseline tables and the image's dpi as the JFIF
// density. False on any fatal library error (state->errors.message says why).
bool EncodeJpegPixels(JpegEncodeState* state, ImageStream* stream, const RgbImage* image);

}  // namespace lumivex
