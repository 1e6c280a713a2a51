// The data term Σ over frames and their pixels of w · (A x − y)² / 2, where A is a frame's
// camera model (FrameSampling), y its pixels in one channel and w the pixel's weight: the frame's
// weight times the Huber weight of its last residual (min(1, δ / |residual|)), 0 for pixels that
// fall outside the output grid. Reweighting between solver rounds turns the least squares into
// the robust Huber fit.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "reconstruct/colour.h"
#include "reconstruct/float_plane.h"
#include "reconstruct/sampling.h"

namespace lumivex::recon {

// Called after each frame of a pass; false stops the pass (cancel).
using FrameTick = std::function<bool()>;

struct ResidualStats {
    std::vector<double> frameMedian;  // per frame: median |residual| over its valid pixels
    double median = 0.0;              // over the valid pixels of all weighted frames
    double curvature = 0.0;  // Σ w · Σ weights² per output pixel (mean diagonal of AᵀWA)
    std::vector<double> meanWeight;  // per frame: mean w over its valid pixels
};

// Thresholds of one reweighting, in grey levels of luminance residual.
struct RobustLimits {
    double delta = 0.0;  // Huber threshold
    // Residuals beyond it lose their weight, linearly down to none at twice it.
    double cutoff = std::numeric_limits<double>::infinity();
    // Pixels whose residual, as a root mean square over a small window, exceeds it lose their
    // weight (see MarkCoherentOutliers); infinite: no such test.
    double coherent = std::numeric_limits<double>::infinity();
    bool keepReference = false;  // frame 0 gets full weight, not none, where the test fires
};

class DataTerm {
public:
    // frames[k]: packed width × height B, G, R; sampling[k] its camera model.
    DataTerm(std::vector<const uint8_t*> frames, std::vector<FrameSampling> sampling,
             int32_t outWidth, int32_t outHeight);

    int32_t FrameCount() const { return static_cast<int32_t>(frames_.size()); }
    const FrameSampling& Sampling(int32_t k) const { return sampling_[k]; }
    void SetFrameWeight(int32_t k, float weight) { frameWeight_[k] = weight; }
    float FrameWeight(int32_t k) const { return frameWeight_[k]; }

    // out = Σ_k A_kᵀ W_k (A_k x − y_k) when observed, else Σ_k A_kᵀ W_k A_k x. False on cancel.
    bool Apply(const FloatPlane& x, Channel channel, bool observed, FloatPlane& out,
               const FrameTick& tick);
    // out = Σ_k A_kᵀ W_k y_k (with value: the channel) or Σ_k A_kᵀ W_k 1 (without).
    bool BackProject(const Channel* channel, FloatPlane& out, const FrameTick& tick);
    // sampling of frame k replaced (a refined motion); its pixels' weights restart at 1 on the
    // grid, 0 off it, until the next Reweight.
    void SetSampling(int32_t k, FrameSampling sampling);
    const float* PixelWeights(int32_t k) const { return weights_[k].data(); }
    // out (frame size) = frame k's view of x.
    void Simulate(int32_t k, const FloatPlane& x, FloatPlane& out);
    // out (frame size) = frame k's channel.
    void FrameChannel(int32_t k, Channel channel, FloatPlane& out) const;

    // Sets every pixel's weight to min(1, delta / |A x − y|) on the luminance, tapered linearly
    // to 0 between cutoff and twice cutoff (a residual that large is another object, not noise)
    // and 0 inside coherent outliers, and returns the residuals' statistics. False on cancel.
    bool Reweight(const FloatPlane& x, const RobustLimits& limits, ResidualStats& stats,
                  const FrameTick& tick);

private:
    template <typename PixelFn>
    void ForEachRowBlock(int32_t k, const PixelFn& fn);
    using Histogram = std::vector<uint64_t>;
    void HuberRows(int32_t k, const FloatPlane& x, const RobustLimits& limits, int32_t row0,
                   int32_t row1, Histogram& h);
    // Frame k's pixel weights: 1 where its sampling sees the output grid, 0 elsewhere.
    void ResetPixelWeights(int32_t k);

    std::vector<const uint8_t*> frames_;
    std::vector<FrameSampling> sampling_;
    std::vector<float> frameWeight_;
    std::vector<std::vector<float>> weights_;  // per frame, per pixel
    FloatPlane scratch_;                       // one frame's values
    std::vector<uint8_t> mask_;                // one frame's coherent outliers
    int32_t outWidth_, outHeight_;
};

}  // namespace lumivex::recon
