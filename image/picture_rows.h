// Row conversions shared by the PNG, TIFF and BMP readers and writers: 16-bit samples reduced
// to 8 bits, transparent pixels composited on white, R,G,B(,A) rows stored as the blue, green,
// red rows of a 24-bit RgbImage and read back out for the writers.
#pragma once

#include <cstdint>

#include "image/rgb_image.h"

namespace lumivex {

// round(v x 255 / 65535).
constexpr uint8_t ReduceTo8Bits(uint32_t v) {
    return static_cast<uint8_t>((v * 255 + 32767) / 65535);
}

// The colour channel c under opacity a (0 transparent, 255 opaque) over a white background,
// rounded: (c x a + 255 x (255 - a)) / 255.
constexpr uint8_t OnWhite(uint32_t c, uint32_t a) {
    return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

// Stores width R,G,B,A pixels (8 bits each) composited on white as blue, green, red bytes.
void StoreRgbaOnWhite(const uint8_t* rgba, int32_t width, uint8_t* bgr);

// Copies width pixels of a 24-bit row (blue, green, red) out as red, green, blue.
void LoadRgbRow(const uint8_t* bgr, int32_t width, uint8_t* rgb);

// floor(dpi + 0.5), clamped to the int32 range; 0 for a value that is not a number.
int32_t RoundedDpi(double dpi);
// Resolution from pixels per metre: floor(ppm x 0.0254 + 0.5), clamped like RoundedDpi.
inline int32_t DpiFromPixelsPerMetre(double pixelsPerMetre) {
    return RoundedDpi(pixelsPerMetre * 0.0254);
}

// Fills every pixel row of a 24-bit image with white, the background of pixels a file leaves
// out (interlace passes never reached, transparent areas).
void FillWhite(RgbImage& image);

}  // namespace lumivex
