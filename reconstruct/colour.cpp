#include "reconstruct/colour.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumivex::recon {

namespace {

// Four source indices (borders repeated) and Catmull-Rom weights per output index of one axis.
struct CubicTaps {
    int32_t index[4];
    float weight[4];
};

std::vector<CubicTaps> AxisTaps(int32_t outSize, int32_t inSize) {
    const double scale = static_cast<double>(outSize) / inSize;
    std::vector<CubicTaps> taps(static_cast<size_t>(outSize));
    for (int32_t o = 0; o < outSize; ++o) {
        const double pos = (o + 0.5) / scale - 0.5;
        const double base = std::floor(pos);
        const double t = pos - base;
        const double w[4] = {(-t * t * t + 2 * t * t - t) / 2, (3 * t * t * t - 5 * t * t + 2) / 2,
                             (-3 * t * t * t + 4 * t * t + t) / 2, (t * t * t - t * t) / 2};
        for (int32_t k = 0; k < 4; ++k) {
            taps[o].index[k] = std::clamp(static_cast<int32_t>(base) - 1 + k, 0, inSize - 1);
            taps[o].weight[k] = static_cast<float>(w[k]);
        }
    }
    return taps;
}

uint8_t ToByte(float value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

void CubicEnlarge(const uint8_t* frame, int32_t width, int32_t height, Channel channel,
                  FloatPlane& out) {
    const std::vector<CubicTaps> cols = AxisTaps(out.cols, width);
    const std::vector<CubicTaps> rows = AxisTaps(out.rows, height);
    // The channel of the frame as reals, then the separable filter row by row.
    FloatPlane source(height, width);
    ForEachIndex(height, [&](int32_t r) {
        const uint8_t* in = frame + static_cast<size_t>(r) * width * 3;
        float* dst = source.Row(r);
        for (int32_t c = 0; c < width; ++c) {
            dst[c] = ChannelValue(in + 3 * c, channel);
        }
    });
    ForEachIndex(out.rows, [&](int32_t i) {
        std::vector<float> line(static_cast<size_t>(width));
        const CubicTaps& ty = rows[i];
        for (int32_t c = 0; c < width; ++c) {
            float sum = 0.0F;
            for (int32_t k = 0; k < 4; ++k) {
                sum += ty.weight[k] * source.Row(ty.index[k])[c];
            }
            line[c] = sum;
        }
        float* dst = out.Row(i);
        for (int32_t j = 0; j < out.cols; ++j) {
            const CubicTaps& tx = cols[j];
            float sum = 0.0F;
            for (int32_t k = 0; k < 4; ++k) {
                sum += tx.weight[k] * line[tx.index[k]];
            }
            dst[j] = sum;
        }
    });
}

void WriteColour(const FloatPlane& luma, const FloatPlane& blue, const FloatPlane& red,
                 uint8_t* outPixels) {
    ForEachIndex(luma.rows, [&](int32_t i) {
        uint8_t* out = outPixels + static_cast<size_t>(i) * luma.cols * 3;
        const float* y = luma.Row(i);
        const float* cb = blue.Row(i);
        const float* cr = red.Row(i);
        for (int32_t j = 0; j < luma.cols; ++j) {
            const float b = y[j] + cb[j];
            const float r = y[j] + cr[j];
            const float g = (y[j] - 0.114F * b - 0.299F * r) / 0.587F;
            out[3 * j] = ToByte(b);
            out[3 * j + 1] = ToByte(g);
            out[3 * j + 2] = ToByte(r);
        }
    });
}

}  // namespace lumivex::recon
