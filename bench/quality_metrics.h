// Distances between a result and the ground truth of a set: PSNR of luminance and of all three
// channels, SSIM of luminance and the mean level difference.
#pragma once

#include "bench/bench_inputs.h"

namespace lumivex::bench {

struct Quality {
    double psnrLuma = 0;   // dB, luminance Y = 0.299 R + 0.587 G + 0.114 B (unrounded)
    double psnrRgb = 0;    // dB, squared error averaged over R, G and B
    double ssimLuma = 0;   // mean SSIM of Y, 11 × 11 Gaussian window (σ 1.5), windows inside only
    double meanLevel = 0;  // mean of (result − truth) over all samples of R, G and B
};

// result and truth must have the same size.
Quality CompareToTruth(const Picture& result, const Picture& truth);

}  // namespace lumivex::bench
