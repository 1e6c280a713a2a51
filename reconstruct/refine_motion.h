// Motion refined against the reconstruction: one Gauss-Newton step on a frame's affine transform
// that brings the frame's simulated view (its camera model applied to the current estimate)
// closer to its pixels, weighted by the data term's robust weights, so that a moving object or
// a foreign patch that pulled the registration no longer does.
#pragma once

#include <cstdint>

#include "engine/resample.h"
#include "reconstruct/float_plane.h"

namespace lumivex::recon {

// simulated: the frame's view of the estimate (FrameSampling::Forward, every row); luma: the
// frame's own luminance; weights: the data term's weight per pixel (0 outside the grid). t maps
// reference positions to frame positions (pixel corners at whole numbers) and is replaced by the
// refined transform. False, with t unchanged, when the step is not determined (a flat frame, too
// few weighted pixels) or larger than a small correction should be.
bool RefineMotion(const FloatPlane& simulated, const FloatPlane& luma, const float* weights,
                  engine::AffineTransform& t);

}  // namespace lumivex::recon
