#include "image/picture_rows.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace lumivex {

void StoreRgbaOnWhite(const uint8_t* rgba, int32_t width, uint8_t* bgr) {
    for (int32_t x = 0; x < width; ++x, rgba += 4, bgr += 3) {
        const uint32_t a = rgba[3];
        bgr[0] = OnWhite(rgba[2], a);
        bgr[1] = OnWhite(rgba[1], a);
        bgr[2] = OnWhite(rgba[0], a);
    }
}

void LoadRgbRow(const uint8_t* bgr, int32_t width, uint8_t* rgb) {
    for (int32_t x = 0; x < width; ++x, bgr += 3, rgb += 3) {
        rgb[0] = bgr[2];
        rgb[1] = bgr[1];
        rgb[2] = bgr[0];
    }
}

int32_t RoundedDpi(double dpi) {
    const double rounded = std::floor(dpi + 0.5);
    if (std::isnan(rounded))
        return 0;
    if (rounded < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (rounded > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(rounded);
}

void FillWhite(RgbImage& image) {
    std::memset(image.Bits(), 0xFF, static_cast<size_t>(image.Stride()) * image.Height());
}

}  // namespace lumivex
