// The high-quality reconstruction: the picture that, seen through every frame's motion and the
// camera's sampling, best explains all frames. It reuses the engine's registration (a whole-frame
// shift, then an affine transform per frame) and replaces fusion and sharpening by a robust
// maximum-a-posteriori estimate: a Huber data term over every frame pixel, a bilateral total
// variation prior, solved by conjugate gradients on reweighted least squares from a cubic
// enlargement of the reference.
//
// Output grid: output pixel (R, C), counted from the top-left, shows the input position
// ((C + 0.5) / sx − 0.5, (R + 0.5) / sy − 0.5) with sx = outWidth / width, sy = outHeight / height
// (pixel centres map onto pixel centres). The grid is symmetric, so it holds for the bottom-up
// stored rows as well.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/enhance_progress.h"
#include "engine/super_resolve.h"

namespace lumivex {

struct QualityOptions {
    // Reweighting rounds and conjugate-gradient steps per round (luminance).
    int32_t rounds = 3;
    int32_t stepsPerRound = 7;
    // Conjugate-gradient steps for each chroma plane; 0 takes chroma from the registered frames'
    // shift-and-add alone.
    int32_t chromaSteps = 4;
    // Huber threshold of the data term in grey levels; at least 1.5 times the estimated noise.
    double huberDelta = 2.0;
    // Prior strength relative to the data term for frames without noise; raised with the noise
    // the residuals show (see noiseReference).
    double lambda = 0.01;
    // Noise level (grey levels) up to which lambda is used as it is; above it the strength grows
    // with the fourth power of the estimated noise, up to ten times lambda (twenty where the
    // reference's colour differences show sensor noise).
    double noiseReference = 0.4;
    // Bilateral total variation: radius in output pixels, decay per pixel of distance, and the
    // Charbonnier smoothing in grey levels.
    int32_t priorRadius = 2;
    double priorDecay = 0.7;
    double priorEpsilon = 1.0;
    // Optical blur of the camera in input pixels (Gaussian sigma), added to the pixel's box;
    // none: estimated from the first round's picture (recon::EstimateOpticalBlur). A soft scene
    // and a blurring camera look alike in the frames, so the estimate deblurs soft scenes too;
    // it is the caller's choice.
    std::optional<double> blurSigma = 0.0;
};

// framePointers: n pointers, each to height rows of exactly width × 3 bytes (B, G, R, rows packed,
// first stored row first). Entries 0 and reference are swapped in place. outPixels: outHeight
// rows of outWidth × 3 bytes, overwritten. Progress percentages go to progress.status (they move
// at least once per frame and iteration); cancel is honoured within one iteration. Returns true
// when it ran to the end, false on cancel, on a size it cannot process (RegistrationSizeSupported
// for more than one frame); std::bad_alloc leaves it when memory runs out. The observer hears every
// non-reference frame with the weight the data term gave it (RegistrationReport::weight). The
// result is the same bytes for any number of engine threads.
bool ReconstructQuality(EnhanceProgress& progress, uint8_t** framePointers, int32_t n,
                        int32_t width, int32_t height, int32_t reference, uint8_t* outPixels,
                        int32_t outWidth, int32_t outHeight, const QualityOptions& options,
                        const RegistrationObserver& observer = {});

}  // namespace lumivex
