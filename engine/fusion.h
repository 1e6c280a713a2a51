// The quality gate and the blending of registered frames into the enlarged estimate. Luminance
// here is the weighted channel sum L = 1·B + 3·G + 2·R.
#pragma once

#include <cstdint>

#include "engine/plane.h"

namespace lumivex::engine {

// Roughly the mean squared luminance difference between each pixel of the central ninth of p
// and its neighbour at (row + dy, col + dx).
int32_t DiagonalDifference(BytePlane p, int32_t dy, int32_t dx);
// The same measure between a and b (equal sizes), pixel by pixel.
int32_t PlaneDifference(BytePlane a, BytePlane b);
// out(r, c) = 2.8 + the mean absolute weighted colour difference of a and b over the 3 × 3
// neighbourhood; border rows and columns copy their inner neighbours. out is rows × cols × 1.
void DetailMap(RealPlane out, BytePlane a, BytePlane b);
// The largest PlaneDifference a frame may show against the estimate and still be blended:
// 1.72 × baseline, the reference's own diagonal difference.
double GateLimit(int32_t baseline);
// Whether a frame whose PlaneDifference against the estimate is `difference` is blended.
bool PassesGate(int32_t difference, double limit);
// Blends warped into estimate as the accepted-th extra sample of a running average, pixel by
// pixel less where it disagrees with the estimate beyond what the reference's detail explains.
// Pixels marked in outside are left alone. scratch (same size as detail) receives the local
// difference map; the overload without it allocates its own.
void FuseFrame(BytePlane estimate, BytePlane warped, const uint8_t* outside, int32_t accepted,
               RealPlane detail, RealPlane scratch);
void FuseFrame(BytePlane estimate, BytePlane warped, const uint8_t* outside, int32_t accepted,
               RealPlane detail);

// The fast path's form of the detail map: the integer 3 × 3 totals s, from which DetailMap's
// value is s × (1 / 54) + 2.8 exactly (s ≤ 9 × 6 × 255 fits 16 bits). Rows are computed in
// parallel; border rows and columns repeat their inner neighbours as in DetailMap.
using DetailSumPlane = Plane<uint16_t>;
void DetailSums(DetailSumPlane out, BytePlane a, BytePlane b);
// FuseFrame with the reference detail given as DetailSums; the local difference map of the
// estimate is made three rows at a time instead of as a full plane, in parallel bands.
void FuseFrameRows(BytePlane estimate, BytePlane warped, const uint8_t* outside, int32_t accepted,
                   DetailSumPlane detailSums);

}  // namespace lumivex::engine
