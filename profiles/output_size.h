// The size of the enhanced picture for an input size and a profile (section "resolution").
#pragma once

#include <cstdint>

namespace lumivex {

class EnhanceParams;

struct OutputSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const OutputSize&) const = default;
};

// Output size for frames of width x height whose height is stretched by verticalFactor:
// "scale" first, then the "maxwidth"/"maxheight" box (oriented like the input, fitted when
// "proportional" is absent or true), otherwise twice the input. At least 4 x 4, width a multiple
// of 4. Always succeeds; absurd profiles give sizes that the picture limit later refuses, never
// an overflow.
OutputSize ComputeOutputSize(int32_t width, int32_t height, double verticalFactor,
                             const EnhanceParams& params);

// True when "scale" is set (above 0) and leaves the input at least one pixel each way, so that
// ComputeOutputSize takes its size from it rather than from the box or the default.
bool ScaleRuleGivesSize(int32_t width, int32_t height, double verticalFactor,
                        const EnhanceParams& params);

}  // namespace lumivex
