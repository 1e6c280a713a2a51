// Luminance and colour differences of B, G, R pixels, the cubic enlargement of one of them onto
// the output's pixel-centre grid, and the conversion of the reconstructed planes back to bytes.
#pragma once

#include <cstdint>

#include "reconstruct/float_plane.h"

namespace lumivex::recon {

// Y = 0.299 R + 0.587 G + 0.114 B; the colour differences are B − Y and R − Y.
enum class Channel { kLuma, kBlueDifference, kRedDifference };

inline float ChannelValue(const uint8_t* bgr, Channel channel) {
    const float y = 0.114F * bgr[0] + 0.587F * bgr[1] + 0.299F * bgr[2];
    switch (channel) {
        case Channel::kLuma:
            return y;
        case Channel::kBlueDifference:
            return bgr[0] - y;
        case Channel::kRedDifference:
            return bgr[2] - y;
    }
    return y;
}

// Catmull-Rom enlargement of one channel of a packed width × height B, G, R frame onto out's
// size: out(i, j) samples the frame at ((j + 0.5) / sx − 0.5, (i + 0.5) / sy − 0.5), borders
// repeated.
void CubicEnlarge(const uint8_t* frame, int32_t width, int32_t height, Channel channel,
                  FloatPlane& out);

// B, G, R bytes (rounded to nearest, clamped) from luminance and the two colour differences.
void WriteColour(const FloatPlane& luma, const FloatPlane& blue, const FloatPlane& red,
                 uint8_t* outPixels);

}  // namespace lumivex::recon
