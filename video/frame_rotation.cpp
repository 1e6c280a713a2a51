#include "video/frame_rotation.h"

extern "C" {
#include <libavutil/display.h>
}

#include <cmath>
#include <cstring>

namespace lumivex::video {

int ClockwiseQuarterTurns(const AVStream* stream) {
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (matrix == nullptr || size < 9 * sizeof(int32_t)) {
        return 0;
    }
    // The matrix turns the picture counter-clockwise by this many degrees.
    const double degrees = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(degrees)) {
        return 0;
    }
    const double quarters = -degrees / 90.0;
    const double whole = std::round(quarters);
    if (std::fabs(quarters - whole) > 0.01) {
        return 0;
    }
    return ((static_cast<int>(whole) % 4) + 4) % 4;
}

void CopyTurned(const uint8_t* picture, int32_t stride, int32_t width, int32_t height, int turns,
                BgrFrame& frame) {
    // Turned pixel (x, y), counted from the top-left, shows source pixel (sx, sy).
    for (int32_t y = 0; y < frame.height; ++y) {
        uint8_t* out =
            frame.bytes.data() + static_cast<size_t>(frame.height - 1 - y) * frame.stride;
        for (int32_t x = 0; x < frame.width; ++x, out += 3) {
            int32_t sx = x, sy = y;
            if (turns == 1) {
                sx = y;
                sy = height - 1 - x;
            } else if (turns == 2) {
                sx = width - 1 - x;
                sy = height - 1 - y;
            } else if (turns == 3) {
                sx = width - 1 - y;
                sy = x;
            }
            std::memcpy(out, picture + static_cast<size_t>(sy) * stride + sx * 3, 3);
        }
    }
}

}  // namespace lumivex::video
