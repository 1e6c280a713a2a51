// Synthetic frames for the job tests: a smooth, well-textured scene seen with a sub-pixel shift.
#pragma once

#include <cstdint>
#include <memory>

#include "job/job.h"

namespace lumivex::testing_frames {

// A 24-bit width x height picture of the scene moved by (dx, dy) pixels.
std::unique_ptr<RgbImage> MakeSceneFrame(int32_t width, int32_t height, double dx, double dy);

// The smallest frame width the engine registers that a set can hold (a multiple of 4).
int32_t MinWidth();

// Fills job with count frames of the scene, frame k shifted by (0.37 k, 0.21 k).
void FillJob(EnhanceJob& job, int32_t count, int32_t width, int32_t height);

}  // namespace lumivex::testing_frames
