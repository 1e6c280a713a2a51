// Ground truth for the reconstruction tests: a coloured, well-textured picture and frames made
// from it by exact 2 × 2 box averaging at whole-pixel offsets of the picture (half-pixel offsets
// of the frames), rounded to bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace lumivex::testing_scene {

// Packed B, G, R, width × height.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
};

// The truth: (2 × width + 8) × (2 × height + 8), so that every shifted frame stays inside it.
Picture Truth(int32_t width, int32_t height);
// Frame pixel (u, v) = rounded mean of truth over columns 2u + dx, 2u + dx + 1 and rows
// 2v + dy, 2v + dy + 1.
Picture BoxFrame(const Picture& truth, int32_t width, int32_t height, int32_t dx, int32_t dy);
// The top-left w × h part of a picture.
Picture Crop(const Picture& p, int32_t width, int32_t height);
// PSNR of a against b (same size), all channels.
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace lumivex::testing_scene
