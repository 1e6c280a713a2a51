// The camera's optical blur read from a first estimate of the picture. Frames of an optically
// blurred camera, however many and however well registered, leave the picture's finest detail
// (above the frames' own sampling limit, recovered from their different phases) weaker than a
// sharp scene has it: a Gaussian blur of sigma s multiplies the power at f cycles per input pixel
// by exp(−4π² s² f²). The estimate compares the power of a band past the frames' limit with that
// of a band of coarse detail, against the ratio sharp natural scenes show.
#pragma once

#include "reconstruct/float_plane.h"

namespace lumivex::recon {

// log10 of the power ratio (fine band over coarse band, both in cycles per input pixel) of
// picture, a luminance plane on an output grid of scale output pixels per input pixel, averaged
// over square tiles. 0 when the picture is smaller than one tile.
double FineDetailRatio(const FloatPlane& picture, double scale);

// Gaussian sigma (input pixels) of the optical blur that explains a fine-detail ratio, or 0 when
// the ratio is within what sharp scenes show; at most kMaxOpticalBlur.
double OpticalBlurOfRatio(double log10Ratio);

// Both in one: the blur picture shows.
double EstimateOpticalBlur(const FloatPlane& picture, double scale);

inline constexpr double kMaxOpticalBlur = 0.6;

}  // namespace lumivex::recon
