// Spatially coherent outliers: a moving object or a patch of another scene leaves residuals that
// a per-pixel test misses when its contrast is moderate, but that stand out once averaged over a
// small window, where noise averages away.
#pragma once

#include <cstdint>
#include <vector>

#include "reconstruct/float_plane.h"

namespace lumivex::recon {

// mask (residual's size) = 1 where the root mean square of residual over the 5 × 5 window around
// the pixel, or around any pixel up to 3 rows and columns away, exceeds limit; 0 elsewhere.
// Residuals off the frame's valid area are expected to be 0. Rows are shared out on the engine's
// threads in fixed blocks; the result does not depend on their number.
void MarkCoherentOutliers(const FloatPlane& residual, float limit, std::vector<uint8_t>& mask);

}  // namespace lumivex::recon
