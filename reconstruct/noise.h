// Noise in a frame's colour differences at the pixel scale. Sensor noise is independent in every
// colour, so it shows in B − Y and R − Y; compression with subsampled colour and clean frames
// of natural scenes leave the colour differences smooth from one pixel to the next.
#pragma once

#include <cstdint>

namespace lumivex::recon {

// Robust Gaussian sigma (grey levels) of the colour differences' pixel-scale noise in a packed
// width × height B, G, R frame: the median magnitude of the second-difference operator
// [1 −2 1; −2 4 −2; 1 −2 1] over both colour differences, scaled so that white Gaussian noise
// of sigma s gives s. 0 for frames smaller than 3 × 3.
double ColourNoise(const uint8_t* frame, int32_t width, int32_t height);

}  // namespace lumivex::recon
