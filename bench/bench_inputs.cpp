#include "bench/bench_inputs.h"

#include <cmath>

namespace lumivex::bench {

namespace {

constexpr int32_t kWaves = 6;
// Wave numbers (radians per pixel) along x and y, and per-channel amplitudes.
constexpr double kWaveX[kWaves] = {0.9, 0.31, 1.7, 0.12, 2.3, 0.55};
constexpr double kWaveY[kWaves] = {0.4, 1.1, 0.21, 2.1, 0.7, 0.05};
constexpr double kAmplitude[kWaves][3] = {{20, 14, 9}, {12, 18, 15}, {9, 7, 12},
                                          {15, 11, 6}, {6, 9, 8},    {25, 20, 30}};

std::vector<double> WaveTable(int32_t size, double k, double offset, double phase) {
    std::vector<double> table(static_cast<size_t>(size));
    for (int32_t i = 0; i < size; ++i) {
        table[i] = std::cos(k * (i + offset) + phase);
    }
    return table;
}

}  // namespace

Picture TexturedPicture(int32_t width, int32_t height, double dx, double dy, uint32_t seed) {
    Picture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    std::vector<std::vector<double>> across;
    std::vector<std::vector<double>> down;
    for (int32_t w = 0; w < kWaves; ++w) {
        across.push_back(WaveTable(width, kWaveX[w], dx, 0.3 * w));
        down.push_back(WaveTable(height, kWaveY[w], dy, 1.1 * w));
    }
    uint32_t noise = seed * 2654435761u + 1;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = p.pixels.data() + static_cast<size_t>(y) * width * 3;
        for (int32_t x = 0; x < width; ++x) {
            double sample[3] = {128, 128, 128};
            for (int32_t w = 0; w < kWaves; ++w) {
                const double v = across[w][x] * down[w][y];
                for (int32_t ch = 0; ch < 3; ++ch) {
                    sample[ch] += kAmplitude[w][ch] * v;
                }
            }
            for (int32_t ch = 0; ch < 3; ++ch) {
                noise = noise * 1664525u + 1013904223u;
                const double v = sample[ch] + static_cast<double>(noise >> 29) - 3.5;
                row[x * 3 + ch] = static_cast<uint8_t>(std::fmin(std::fmax(v, 0.0), 255.0));
            }
        }
    }
    return p;
}

engine::AffineTransform BurstShift(int32_t k) {
    // A pattern of sub-pixel offsets that covers the pixel, plus a slow drift.
    static constexpr double kOffsets[8][2] = {{0, 0},        {0.52, 0.57}, {-0.31, 0.26},
                                              {0.77, -0.45}, {0.14, 0.93}, {-0.62, -0.71},
                                              {1.36, 0.18},  {-0.05, -1.2}};
    return {0, 0, kOffsets[k % 8][0] + 0.1 * (k / 8), 0, 0, kOffsets[k % 8][1]};
}

std::vector<Picture> TexturedBurst(int32_t count, int32_t width, int32_t height) {
    std::vector<Picture> frames;
    for (int32_t k = 0; k < count; ++k) {
        const engine::AffineTransform t = BurstShift(k);
        frames.push_back(TexturedPicture(width, height, t[2], t[5], static_cast<uint32_t>(k)));
    }
    return frames;
}

std::vector<uint8_t*> PixelPointers(std::vector<Picture>& pictures) {
    std::vector<uint8_t*> pointers;
    for (Picture& p : pictures) {
        pointers.push_back(p.pixels.data());
    }
    return pointers;
}

}  // namespace lumivex::bench
