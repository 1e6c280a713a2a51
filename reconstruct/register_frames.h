// The engine's registration of every frame to the reference, exactly as the standard engine runs
// it: the smoothed reference's pyramid and feature points, then per frame a whole-frame shift and
// the affine refinement.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/resample.h"

namespace lumivex::recon {

struct FrameRegistration {
    engine::AffineTransform shift{};      // EstimateShift's result (only p2, p5 set)
    engine::AffineTransform transform{};  // reference positions → frame positions
    double error = 0.0;  // FrameError of the frame warped by transform against the reference
};

// frames[0] is the reference; every frame is width × height packed B, G, R. after(k) is called
// once k frames are registered (on the engine's threads, one call at a time, k rising); when it
// returns false the frames not yet started are skipped and false is returned.
bool RegisterFrames(uint8_t* const* frames, int32_t n, int32_t width, int32_t height,
                    const std::function<bool(int32_t)>& after, std::vector<FrameRegistration>& out);

}  // namespace lumivex::recon
