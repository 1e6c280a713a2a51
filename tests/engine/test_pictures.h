// Synthetic pictures with an exactly known geometry for the engine tests: a texture made of
// plane waves, so that any affine view of it, point-sampled or averaged over pixel boxes, can be
// rendered without interpolation error.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/plane.h"
#include "engine/resample.h"

namespace lumivex::engine::testing {

// A packed 24-bit picture (B, G, R per pixel, first stored row first).
struct TestPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;

    TestPicture() = default;
    TestPicture(int32_t w, int32_t h, uint8_t fill = 0)
        : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3, fill) {}
    BytePlane Plane() { return {height, width, 3, pixels.data()}; }
    uint8_t* At(int32_t row, int32_t col) {
        return pixels.data() + (static_cast<size_t>(row) * width + col) * 3;
    }
    const uint8_t* At(int32_t row, int32_t col) const {
        return pixels.data() + (static_cast<size_t>(row) * width + col) * 3;
    }
};

struct Wave {
    double kx = 0.0;  // radians per texture unit along x
    double ky = 0.0;
    double phase = 0.0;
    std::array<double, 3> amplitude{};  // B, G, R
};

class WaveTexture {
public:
    // count waves with random directions, wavelengths between minPeriod and maxPeriod texture
    // units and per-channel amplitudes up to maxAmplitude, around grey 128.
    WaveTexture(uint32_t seed, int32_t count, double minPeriod, double maxPeriod,
                double maxAmplitude);

    // Pixel (x, y) shows the texture at map(x, y), where map is the affine transform (in the
    // engine's p0 … p5 form) from pixel positions to texture positions.
    TestPicture Render(int32_t width, int32_t height, const AffineTransform& map) const;

    // Pixel (x, y) is the mean of the texture over the box
    // [scale·(x + offsetX), scale·(x + offsetX + 1)) × [scale·(y + offsetY), …).
    TestPicture RenderBoxes(int32_t width, int32_t height, double scale, double offsetX,
                            double offsetY) const;

private:
    // Adds every wave, each seen as cos(ax·x + ay·y + phase)·gain, to the channel sums.
    TestPicture Accumulate(int32_t width, int32_t height,
                           const std::vector<std::array<double, 4>>& terms) const;

    std::vector<Wave> waves_;
};

// The inverse of an affine transform in p0 … p5 form.
AffineTransform InverseTransform(const AffineTransform& t);
// Applies t to the point (x, y).
std::array<double, 2> ApplyTransform(const AffineTransform& t, double x, double y);

// Uniform random bytes from a fixed seed.
TestPicture NoisePicture(int32_t width, int32_t height, uint32_t seed);

// Adds uniform noise of standard deviation sigma to every sample, clamped to 0 … 255.
void AddNoise(TestPicture& picture, double sigma, uint32_t seed);

// Peak signal-to-noise ratio of two equally sized pictures, in dB, over all samples.
double Psnr(const TestPicture& a, const TestPicture& b);

}  // namespace lumivex::engine::testing
