// Cubic weights and the pixel kernels every stage of the engine uses: enlargement, affine
// warping, 2 × 2 smoothing and half-size reduction for the pyramids.
#pragma once

#include <array>
#include <cstdint>

#include "engine/plane.h"

namespace lumivex::engine {

// p0 … p5: a reference position (x = column, y = row) maps to the frame position
// x' = (1 + p0)·x + p1·y + p2, y' = p3·x + (1 + p4)·y + p5. All zeros is the identity.
using AffineTransform = std::array<double, 6>;

// Catmull-Rom weight of tap −1, 0, 1 or 2 at fraction t in [0, 1); 0 for other taps.
float CubicWeight(int32_t tap, float t);
// Uniform cubic B-spline weight of tap −1, 0, 1 or 2 at fraction t; 0 for other taps.
float BSplineWeight(int32_t tap, float t);

// Writes the 4 × 4 Catmull-Rom sample of every channel of src at (x, y) into out. The position
// must satisfy 1 ≤ x ≤ cols − 3 and 1 ≤ y ≤ rows − 3.
void SampleCubic(BytePlane src, double x, double y, uint8_t* out);

// Enlarges (or reduces) src onto dst's size; destination pixel 0 samples source pixel 0.
void ResampleCubic(BytePlane dst, BytePlane src);
// Nearest-sample version of ResampleCubic; dst's channel count is used for both planes.
void ResampleNearest(BytePlane dst, BytePlane src);
// Samples src at the positions T gives for dst's grid; positions outside repeat the border band.
void WarpToFrame(BytePlane dst, BytePlane src, const AffineTransform& t);
// As WarpToFrame, but pixels whose position falls outside src are left unchanged in dst and
// marked 1 in outside (dst.rows × dst.cols bytes, all others set to 0).
void WarpToGrid(BytePlane dst, BytePlane src, uint8_t* outside, const AffineTransform& t);
// Two 2 × 2 box filters in place, displaced by one pixel in opposite directions.
void Smooth2x2(BytePlane plane);
// A new 3-channel plane of rows/2 × cols/2, each sample the rounded mean of a 2 × 2 block.
PlaneBuffer<uint8_t> HalvePlane(BytePlane src);

// The plain one-pixel-at-a-time versions, kept as the reference the fast ones must equal byte
// for byte (and used while the scalar oracle is switched on).
namespace scalar {
void ResampleCubic(BytePlane dst, BytePlane src);
void WarpToFrame(BytePlane dst, BytePlane src, const AffineTransform& t);
void WarpToGrid(BytePlane dst, BytePlane src, uint8_t* outside, const AffineTransform& t);
void Smooth2x2(BytePlane plane);
}  // namespace scalar

}  // namespace lumivex::engine
