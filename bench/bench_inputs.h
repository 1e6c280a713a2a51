// Generated textured pictures for the benchmarks: sums of separable waves (cheap to render at
// camera sizes) seen through small sub-pixel shifts, with a little noise.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/plane.h"
#include "engine/resample.h"

namespace lumivex::bench {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // B, G, R per pixel, rows packed

    engine::BytePlane Plane() { return {height, width, 3, pixels.data()}; }
};

// The scene shifted by (dx, dy) pixels, with noise from seed.
Picture TexturedPicture(int32_t width, int32_t height, double dx, double dy, uint32_t seed);

// count frames of one scene, frame k shifted by a fixed sub-pixel pattern.
std::vector<Picture> TexturedBurst(int32_t count, int32_t width, int32_t height);

// The transform registration finds for frame 1 of TexturedBurst (near enough for the warps).
engine::AffineTransform BurstShift(int32_t k);

// Pointers to each picture's pixels, in order.
std::vector<uint8_t*> PixelPointers(std::vector<Picture>& pictures);

}  // namespace lumivex::bench
