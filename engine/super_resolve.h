// The engine driver: turns a reference frame and any number of further frames of the same size
// into one enlarged, sharpened 24-bit picture.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/enhance_progress.h"

namespace lumivex {

class EnhanceParams;  // passed through; the engine never reads it

// What registration decided for one non-reference frame; handed to the optional observer.
struct RegistrationReport {
    int32_t index;          // the frame's index in the caller's order (before the reference swap)
    double shiftX, shiftY;  // whole-frame shift found by EstimateShift
    double transform[6];    // p0 … p5 of the affine transform used to warp the frame
    double difference;      // PlaneDifference of the warped frame against the estimate
    double limit;           // 1.72 × the reference's own diagonal difference
    bool accepted;          // whether the frame was blended into the estimate
    // The share of weight the frame's pixels had in the high-quality reconstruction's data term
    // (0 … 1); the standard engine blends whole frames and leaves it at 1.
    double weight = 1.0;
};
using RegistrationObserver = std::function<void(const RegistrationReport&)>;

// framePointers: n pointers, each to height rows of exactly width × 3 bytes (B, G, R, rows
// packed, first stored row first). Entries 0 and reference are swapped in place. outPixels:
// outHeight rows of outWidth × 3 bytes, overwritten. params is not read.
// Writes progress percentages into progress.status and stops at its per-frame checks when
// progress.cancel is set. Returns true when it ran to the end, false when it stopped on cancel or
// was given a size it cannot process (see RegistrationSizeSupported).
bool SuperResolve(EnhanceProgress& progress, uint8_t** framePointers, int32_t n, int32_t width,
                  int32_t height, int32_t reference, uint8_t* outPixels, int32_t outWidth,
                  int32_t outHeight, const EnhanceParams* params,
                  const RegistrationObserver& observer = {});

// Runs SuperResolve and writes the final status: kEnhanceSucceeded, or kEnhanceCancelled when
// cancel was set, kEnhanceFailed otherwise. Always returns true.
bool RunEnhancement(EnhanceProgress& progress, uint8_t** framePointers, int32_t n, int32_t width,
                    int32_t height, int32_t reference, uint8_t* outPixels, int32_t outWidth,
                    int32_t outHeight, const EnhanceParams* params,
                    const RegistrationObserver& observer = {});

// The smallest frame the multi-frame path can register (feature block grid, the 20-pixel
// margins of the alignment error and the search windows of every pyramid level). Callers refuse
// smaller multi-frame input before anything runs.
int32_t MinRegistrationWidth();
int32_t MinRegistrationHeight();
bool RegistrationSizeSupported(int32_t width, int32_t height);

// The smallest frame (and output) a single-frame enlargement can process.
int32_t MinResampleSize();

}  // namespace lumivex
