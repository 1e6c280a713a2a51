// The camera model of one frame: where each of its pixels lies on the output grid (the frame's
// affine transform, inverted and scaled), and the weights with which it integrates the output
// pixels (the pixel's box footprint blurred by a small Gaussian, integrated over each output
// pixel). Forward applies it (output grid → frame pixels), Adjoint its exact transpose.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/resample.h"
#include "reconstruct/float_plane.h"

namespace lumivex::recon {

// Sub-pixel phases of a footprint centre for which the weights are tabulated.
inline constexpr int32_t kPhases = 64;

// One axis of the footprint: taps consecutive output pixels starting at first + the output
// pixel nearest the footprint's centre.
struct AxisKernel {
    int32_t first = 0;
    int32_t taps = 0;
    std::vector<float> weights;  // kPhases × taps, each row summing to 1
    std::vector<float> squares;  // per phase, Σ weight²
    const float* Row(int32_t phase) const { return weights.data() + phase * taps; }
};

// Footprint of width (output pixels) blurred by a Gaussian of sigma (output pixels).
AxisKernel MakeAxisKernel(double width, double sigma);

// Output rows that each band of frame rows may touch, for the adjoint's two passes.
struct Band {
    int32_t row0 = 0;  // frame rows row0 … row1 − 1
    int32_t row1 = 0;
};

class FrameSampling {
public:
    // t maps reference positions to this frame's positions (the registration's convention);
    // frame and reference are width × height, the output grid outWidth × outHeight.
    FrameSampling(const engine::AffineTransform& t, int32_t width, int32_t height, int32_t outWidth,
                  int32_t outHeight, double blurSigma);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Whether the pixel's centre falls on the output grid (only those enter the data term).
    bool Valid(int32_t u, int32_t v) const;
    // Σ of the squared weights of pixel (u, v): its share of the data term's curvature.
    float WeightSquares(int32_t u, int32_t v) const;

    // lr(v, u) = Σ weights × hr over the pixel's footprint, for frame rows row0 … row1 − 1.
    void Forward(const FloatPlane& hr, FloatPlane& lr, int32_t row0, int32_t row1) const;
    // hr += transpose applied to lr (pixels that are not Valid must hold 0 in lr). Runs on the
    // engine's threads: bands two apart touch disjoint output rows.
    void Adjoint(const FloatPlane& lr, FloatPlane& hr) const;
    // Adjoint with lr's rows filled band by band just before they are scattered: fill(row0, row1)
    // writes rows row0 … row1 − 1 of lr (on the engine's threads, bands side by side).
    template <typename Fill>
    void FillAndAdjoint(const Fill& fill, FloatPlane& lr, FloatPlane& hr) const;

private:
    struct Taps {
        int32_t x0, y0;  // first output column and row
        int32_t phaseX, phaseY;
    };
    // Footprint centres in fixed point (kFixedBits fractional bits), shifted by half an output
    // pixel so that the integer part is the nearest output pixel and the top bits of the
    // fraction the phase: P(u, v) = p0 + pu·u + pv·v, exact integer steps along a row.
    struct Fixed {
        int64_t p0, pu, pv;
    };
    bool ValidAt(int64_t px, int64_t py) const;
    Taps TapsAt(int64_t px, int64_t py) const;
    Taps TapsOf(int32_t u, int32_t v) const;
    template <int32_t TX, int32_t TY>
    void ForwardRows(const FloatPlane& hr, FloatPlane& lr, int32_t row0, int32_t row1) const;
    template <int32_t TX, int32_t TY>
    void ScatterBand(const FloatPlane& lr, FloatPlane& hr, const Band& band) const;
    // body(band) for the even bands side by side, then for the odd ones.
    template <typename Body>
    void ForEachBandByParity(const Body& body) const;
    void ScatterBandOf(const FloatPlane& lr, FloatPlane& hr, const Band& band) const;
    void PlanBands();

    int32_t width_, height_, outWidth_, outHeight_;
    Fixed fx_{}, fy_{};
    int64_t limitX_ = 0, limitY_ = 0;  // outWidth, outHeight in fixed point
    AxisKernel kx_, ky_;
    std::vector<Band> bands_;
};

template <typename Body>
void FrameSampling::ForEachBandByParity(const Body& body) const {
    const auto count = static_cast<int32_t>(bands_.size());
    for (int32_t parity = 0; parity < 2; ++parity) {
        ForEachIndex((count - parity + 1) / 2, [&](int32_t i) { body(bands_[2 * i + parity]); });
    }
}

template <typename Fill>
void FrameSampling::FillAndAdjoint(const Fill& fill, FloatPlane& lr, FloatPlane& hr) const {
    ForEachBandByParity([&](const Band& band) {
        fill(band.row0, band.row1);
        ScatterBandOf(lr, hr, band);
    });
}

}  // namespace lumivex::recon
