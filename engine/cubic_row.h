// One destination row of Catmull-Rom samples at arbitrary positions, the inner loop of every
// enlargement and warp. Several pixels are computed at once where the processor allows it; each
// pixel's arithmetic is that of SampleCubic, in the same order and precision.
#pragma once

#include <cstdint>

#include "engine/plane.h"

namespace lumivex::engine {

// Writes the cubic sample of src at (xs[j], ys[j]) into destination pixel j for j < count.
// Every position must satisfy SampleCubic's bounds. Pixels with skip[j] != 0 are left
// untouched (their positions must still be valid; skip may be null).
void CubicRow(BytePlane src, const double* xs, const double* ys, const uint8_t* skip, int32_t count,
              uint8_t* dst);

}  // namespace lumivex::engine
