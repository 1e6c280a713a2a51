#include "reconstruct/reconstruct.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "reconstruct/blur_estimate.h"
#include "reconstruct/colour.h"
#include "reconstruct/data_term.h"
#include "reconstruct/noise.h"
#include "reconstruct/prior.h"
#include "reconstruct/refine_motion.h"
#include "reconstruct/register_frames.h"
#include "reconstruct/sampling.h"
#include "reconstruct/solver.h"

namespace lumivex {

namespace {

using recon::Channel;
using recon::FloatPlane;
using recon::FrameRegistration;

constexpr int32_t kMinSize = 4;
// Registration error (relative to the median frame's) from which a frame's weight falls, and
// where it reaches 0; the median is taken as at least kErrorFloor.
constexpr double kErrorFull = 3.0;
constexpr double kErrorNone = 6.0;
constexpr double kErrorFloor = 4.0;
// A frame whose median residual exceeds this many times the median frame's loses weight
// linearly until twice that.
constexpr double kResidualFull = 3.0;
constexpr double kResidualFloor = 0.5;
// Largest deviation from the identity of an affine transform's linear part worth trusting.
constexpr double kMaxDeformation = 0.2;
// Huber threshold of the first round, while the start is still the blurred enlargement.
constexpr double kFirstDeltaFactor = 4.0;
constexpr double kFirstDeltaMin = 8.0;
// Median absolute deviation to Gaussian sigma.
constexpr double kMadToSigma = 1.4826;
// The prior's strength grows with the estimated noise to this power above the noise reference,
// up to this factor: compressed frames, whose residuals stay small, need nearly as strong a
// prior as noisy ones.
constexpr double kNoiseExponent = 4.0;
constexpr double kMaxNoiseGain = 10.0;
// Sensor noise, independent in every colour, shows in the frames' colour differences as well
// (compression with subsampled colour leaves them smooth); where it does, the strength may grow
// twice as far, in full from the upper end of this ramp (grey levels), not at all below its
// lower end.
constexpr double kSensorNoiseGain = 2.0;
constexpr double kColourNoiseFrom = 0.8;
constexpr double kColourNoiseFull = 1.4;
// Residuals beyond this many Huber thresholds lose their weight (down to none at twice that),
// once the first round has fitted the picture: a moving object's pixels stop pulling at it.
constexpr double kOutlierPerDelta = 8.0;
// Likewise residuals whose root mean square over a small window exceeds this many Huber
// thresholds: an object whose contrast is too low for the cut above but that noise cannot
// explain.
constexpr double kCoherentPerDelta = 2.5;
// Huber threshold in units of the estimated noise.
constexpr double kDeltaPerSigma = 1.5;
// Chroma: its prior is this much stronger than luminance's, and the shift-and-add start gives
// way to the reference's cubic enlargement where the frames' coverage is below this fraction of
// its mean.
constexpr double kChromaLambdaFactor = 4.0;
constexpr double kCoverageFallback = 0.1;
// Where the first cut of outliers leaves less than this share of the frames' coverage, the
// estimate so far holds a ghost of what the dropped frames showed, in detail finer than the
// remaining frames can correct: it restarts there from the reference's cubic enlargement, fully
// below the lower share and blended in between.
constexpr double kKeptFull = 0.5;
constexpr double kKeptNone = 0.25;
// Fewer observations than unknowns leave more of the picture to the prior. Beyond this many
// output pixels per input pixel the strength grows with the square of the excess (patterns finer
// than an input pixel's box barely show in any frame: 4 x 4 takes 16 times the strength of
// 2 x 2), and below this many frames in proportion to the missing frames.
constexpr double kEnlargementFrom = 4.0;
constexpr double kFramesFrom = 8.0;

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Ramp(double value, double full, double none) {
    return std::clamp((none - value) / (none - full), 0.0, 1.0);
}

bool Deformed(const engine::AffineTransform& t) {
    for (const int i : {0, 1, 3, 4}) {
        if (std::abs(t[i]) > kMaxDeformation) {
            return true;
        }
    }
    return false;
}

class QualityRun {
public:
    QualityRun(EnhanceProgress& progress, uint8_t** frames, int32_t n, int32_t width,
               int32_t height, int32_t outWidth, int32_t outHeight, const QualityOptions& options)
        : progress_(progress),
          frames_(frames),
          n_(n),
          width_(width),
          height_(height),
          outWidth_(outWidth),
          outHeight_(outHeight),
          options_(options),
          prior_(options.priorRadius, options.priorDecay, options.priorEpsilon) {}

    bool Run(int32_t reference, uint8_t* outPixels, const RegistrationObserver& observer);

private:
    bool Register();
    void BuildDataTerm();
    bool SolveLuma(FloatPlane& luma, recon::SolverPlanes& planes);
    bool SolveChroma(const FloatPlane& luma, Channel channel, const FloatPlane& coverage,
                     FloatPlane& chroma, recon::SolverPlanes& planes);
    bool Reweight(const FloatPlane& x, double delta, bool cut);
    bool RestartWhereFramesDropOut(FloatPlane& reach, FloatPlane& luma,
                                   recon::SolverPlanes& planes);
    void WeighFramesByResidual();
    bool RefineMotions(const FloatPlane& luma);
    void EstimateBlur(const FloatPlane& luma);
    void Report(int32_t reference, const RegistrationObserver& observer) const;

    void SetPasses(int64_t passes) { totalTicks_ = passes * n_; }
    bool Tick() {
        ++ticks_;
        const double share = std::min(1.0, static_cast<double>(ticks_) / totalTicks_);
        progress_.status.store(static_cast<int32_t>(25 + 73 * share + 0.5));
        return !progress_.cancel.load();
    }
    recon::FrameTick Ticker() {
        return [this] { return Tick(); };
    }
    double Lambda() const {
        const double sensor = Ramp(colourNoise_, kColourNoiseFull, kColourNoiseFrom);
        const double maxGain = kMaxNoiseGain * (1.0 + (kSensorNoiseGain - 1.0) * sensor);
        const double gain =
            std::clamp(std::pow(sigma_ / options_.noiseReference, kNoiseExponent), 1.0, maxGain);
        return options_.lambda * gain * UnderdeterminedGain() * stats_.curvature;
    }
    double UnderdeterminedGain() const {
        const double enlargement =
            static_cast<double>(outWidth_) * outHeight_ / (static_cast<double>(width_) * height_);
        const double area = std::max(1.0, enlargement / kEnlargementFrom);
        const double frames = std::max(1.0, kFramesFrom / n_);
        return area * area * frames;
    }

    EnhanceProgress& progress_;
    uint8_t** frames_;
    int32_t n_, width_, height_, outWidth_, outHeight_;
    const QualityOptions& options_;
    recon::BilateralPrior prior_;
    std::vector<FrameRegistration> registration_;
    std::vector<double> frameWeight_;
    std::unique_ptr<recon::DataTerm> data_;
    recon::ResidualStats stats_;
    double sigma_ = 0.0;
    double colourNoise_ = 0.0;  // the reference's, see recon::ColourNoise
    double delta_ = 0.0;
    double blur_ = 0.0;  // the camera's optical blur in input pixels, given or estimated
    int64_t ticks_ = 0;
    int64_t totalTicks_ = 1;
};

bool QualityRun::Register() {
    const auto after = [this](int32_t k) {
        progress_.status.store(static_cast<int32_t>(5 + 20.0 * k / (n_ - 1) + 0.5));
        return !progress_.cancel.load();
    };
    if (!recon::RegisterFrames(frames_, n_, width_, height_, after, registration_)) {
        return false;
    }
    // Frames that registration cannot bring close to the reference (another scene, a large
    // moving object) get less or no weight in the first round; the residuals judge them after.
    std::vector<double> errors;
    for (int32_t k = 1; k < n_; ++k) {
        errors.push_back(registration_[k].error);
    }
    const double typical = std::max(Median(errors), kErrorFloor);
    frameWeight_.assign(static_cast<size_t>(n_), 1.0);
    for (int32_t k = 1; k < n_; ++k) {
        const FrameRegistration& r = registration_[k];
        frameWeight_[k] =
            Deformed(r.transform) ? 0.0 : Ramp(r.error, kErrorFull * typical, kErrorNone * typical);
    }
    return true;
}

void QualityRun::BuildDataTerm() {
    std::vector<const uint8_t*> frames(frames_, frames_ + n_);
    std::vector<recon::FrameSampling> sampling;
    sampling.reserve(static_cast<size_t>(n_));
    for (int32_t k = 0; k < n_; ++k) {
        sampling.emplace_back(registration_[k].transform, width_, height_, outWidth_, outHeight_,
                              blur_);
    }
    data_ = std::make_unique<recon::DataTerm>(std::move(frames), std::move(sampling), outWidth_,
                                              outHeight_);
    for (int32_t k = 0; k < n_; ++k) {
        data_->SetFrameWeight(k, static_cast<float>(frameWeight_[k]));
    }
}

bool QualityRun::Reweight(const FloatPlane& x, double delta, bool cut) {
    recon::RobustLimits limits;
    limits.delta = delta;
    if (cut) {
        limits.cutoff = kOutlierPerDelta * delta;
        limits.coherent = kCoherentPerDelta * delta;
        limits.keepReference = true;
    }
    return data_->Reweight(x, limits, stats_, Ticker());
}

// After the first round the residuals show the noise, and which frames do not fit at all.
void QualityRun::WeighFramesByResidual() {
    sigma_ = kMadToSigma * stats_.median;
    delta_ = std::max(options_.huberDelta, kDeltaPerSigma * sigma_);
    std::vector<double> medians;
    for (int32_t k = 0; k < n_; ++k) {
        if (frameWeight_[k] > 0.0) {
            medians.push_back(stats_.frameMedian[k]);
        }
    }
    const double typical = std::max(Median(medians), kResidualFloor);
    for (int32_t k = 1; k < n_; ++k) {
        // A frame kept out of the first round only by its registration error may differ from the
        // reference in a small area alone, which the pixel weights take care of; its median
        // residual says whether the rest of it fits.
        const double trusted = Deformed(registration_[k].transform) ? 0.0 : 1.0;
        frameWeight_[k] = trusted * Ramp(stats_.frameMedian[k], kResidualFull * typical,
                                         2 * kResidualFull * typical);
        data_->SetFrameWeight(k, static_cast<float>(frameWeight_[k]));
    }
}

// Without a blur given, the first round's picture (through the sharp camera model) shows how
// much of the finest detail the camera lost; the frames' models take that blur from then on.
void QualityRun::EstimateBlur(const FloatPlane& luma) {
    const double scale = std::sqrt(static_cast<double>(outWidth_) * outHeight_ /
                                   (static_cast<double>(width_) * height_));
    blur_ = recon::EstimateOpticalBlur(luma, scale);
    if (blur_ <= 0.0) {
        return;
    }
    for (int32_t k = 0; k < n_; ++k) {
        data_->SetSampling(k, recon::FrameSampling(registration_[k].transform, width_, height_,
                                                   outWidth_, outHeight_, blur_));
    }
}

// Each weighted frame's motion refined against the estimate, with the data term's robust weights.
bool QualityRun::RefineMotions(const FloatPlane& luma) {
    FloatPlane simulated(height_, width_);
    FloatPlane frame(height_, width_);
    for (int32_t k = 1; k < n_; ++k) {
        if (frameWeight_[k] > 0.0) {
            data_->Simulate(k, luma, simulated);
            data_->FrameChannel(k, Channel::kLuma, frame);
            engine::AffineTransform& t = registration_[k].transform;
            if (recon::RefineMotion(simulated, frame, data_->PixelWeights(k), t)) {
                data_->SetSampling(
                    k, recon::FrameSampling(t, width_, height_, outWidth_, outHeight_, blur_));
            }
        }
        if (!Tick()) {
            return false;
        }
    }
    return true;
}

// reach: the frames' coverage before any pixel lost weight, released here. The solver's planes
// are free until its next round.
bool QualityRun::RestartWhereFramesDropOut(FloatPlane& reach, FloatPlane& luma,
                                           recon::SolverPlanes& planes) {
    FloatPlane& kept = planes.d;
    if (!data_->BackProject(nullptr, kept, Ticker())) {
        return false;
    }
    FloatPlane& start = planes.r;
    recon::CubicEnlarge(frames_[0], width_, height_, Channel::kLuma, start);
    recon::ForEachBlock(luma.Size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            const float all = reach.data[i];
            if (all > 0.0F && kept.data[i] < kKeptFull * all) {
                const auto share =
                    static_cast<float>(Ramp(kept.data[i] / all, kKeptFull, kKeptNone));
                luma.data[i] = start.data[i] + share * (luma.data[i] - start.data[i]);
            }
        }
    });
    reach = FloatPlane();
    return true;
}

bool QualityRun::SolveLuma(FloatPlane& luma, recon::SolverPlanes& planes) {
    FloatPlane expansion(outHeight_, outWidth_);  // where the prior's majorizer is taken
    FloatPlane reach;
    if (options_.rounds > 1) {
        reach = FloatPlane(outHeight_, outWidth_);
        if (!data_->BackProject(nullptr, reach, Ticker())) {
            return false;
        }
    }
    for (int32_t round = 0; round < options_.rounds; ++round) {
        if (round == 0) {
            if (!Reweight(luma, std::max(kFirstDeltaFactor * options_.huberDelta, kFirstDeltaMin),
                          false)) {
                return false;
            }
        } else {
            if (round == 1) {
                if (!Reweight(luma, delta_ > 0 ? delta_ : options_.huberDelta, false)) {
                    return false;
                }
                WeighFramesByResidual();
            }
            if (!Reweight(luma, delta_, true)) {
                return false;
            }
            if (round == 1 && !RestartWhereFramesDropOut(reach, luma, planes)) {
                return false;
            }
        }
        recon::CopyPlane(expansion, luma);
        if (!recon::SolveRound(*data_, prior_, Channel::kLuma, expansion, Lambda(),
                               options_.stepsPerRound, luma, planes, Ticker())) {
            return false;
        }
        if (round == 0 && !options_.blurSigma) {
            EstimateBlur(luma);
        }
        if (round + 1 < options_.rounds && !RefineMotions(luma)) {
            return false;
        }
    }
    return true;
}

// Shift-and-add of the frames' colour difference (the back-projection normalised by the
// coverage), falling back to the reference's cubic enlargement where few frame pixels land,
// then a few solver steps whose prior follows the luminance's edges.
bool QualityRun::SolveChroma(const FloatPlane& luma, Channel channel, const FloatPlane& coverage,
                             FloatPlane& chroma, recon::SolverPlanes& planes) {
    if (!data_->BackProject(&channel, planes.r, Ticker())) {
        return false;
    }
    recon::CubicEnlarge(frames_[0], width_, height_, channel, planes.q);
    const auto tau = static_cast<float>(
        std::max(kCoverageFallback * recon::Sum(coverage) / coverage.Size(), 1e-6));
    recon::ForEachBlock(chroma.Size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            chroma.data[i] = (planes.r.data[i] + tau * planes.q.data[i]) / (coverage.data[i] + tau);
        }
    });
    if (options_.chromaSteps <= 0) {
        return true;
    }
    return recon::SolveRound(*data_, prior_, channel, luma, kChromaLambdaFactor * Lambda(),
                             options_.chromaSteps, chroma, planes, Ticker());
}

void QualityRun::Report(int32_t reference, const RegistrationObserver& observer) const {
    if (!observer) {
        return;
    }
    std::vector<double> errors;
    for (int32_t k = 1; k < n_; ++k) {
        errors.push_back(registration_[k].error);
    }
    const double limit = kErrorNone * std::max(Median(errors), kErrorFloor);
    for (int32_t k = 1; k < n_; ++k) {
        const FrameRegistration& r = registration_[k];
        RegistrationReport report{(k == reference) ? 0 : k,
                                  r.shift[2],
                                  r.shift[5],
                                  {r.transform[0], r.transform[1], r.transform[2], r.transform[3],
                                   r.transform[4], r.transform[5]},
                                  r.error,
                                  limit,
                                  frameWeight_[k] > 0.0};
        report.weight = stats_.meanWeight[k];
        observer(report);
    }
}

bool QualityRun::Run(int32_t reference, uint8_t* outPixels, const RegistrationObserver& observer) {
    progress_.status.store(5);
    if (!Register()) {
        return false;
    }
    colourNoise_ = recon::ColourNoise(frames_[0], width_, height_);
    blur_ = options_.blurSigma.value_or(0.0);
    BuildDataTerm();
    const int32_t chromaPasses = 1 + (options_.chromaSteps > 0 ? options_.chromaSteps + 1 : 0);
    SetPasses(int64_t{options_.rounds} * (options_.stepsPerRound + 3) + 3 + 2 * chromaPasses);
    FloatPlane luma(outHeight_, outWidth_);
    recon::CubicEnlarge(frames_[0], width_, height_, Channel::kLuma, luma);
    recon::SolverPlanes planes(outHeight_, outWidth_);
    if (!SolveLuma(luma, planes)) {
        return false;
    }
    FloatPlane coverage(outHeight_, outWidth_);
    if (!data_->BackProject(nullptr, coverage, Ticker())) {
        return false;
    }
    FloatPlane blue(outHeight_, outWidth_);
    if (!SolveChroma(luma, Channel::kBlueDifference, coverage, blue, planes)) {
        return false;
    }
    FloatPlane& red = coverage;  // the coverage is read before red is written, element by element
    if (!SolveChroma(luma, Channel::kRedDifference, coverage, red, planes)) {
        return false;
    }
    Report(reference, observer);
    recon::WriteColour(luma, blue, red, outPixels);
    progress_.status.store(100);
    return true;
}

bool InputSupported(uint8_t** framePointers, int32_t n, int32_t width, int32_t height,
                    int32_t reference, const uint8_t* outPixels, int32_t outWidth,
                    int32_t outHeight) {
    if (framePointers == nullptr || outPixels == nullptr || n < 1 || reference < 0 ||
        reference >= n || outWidth < kMinSize || outHeight < kMinSize || width < kMinSize ||
        height < kMinSize) {
        return false;
    }
    return n == 1 || RegistrationSizeSupported(width, height);
}

}  // namespace

bool ReconstructQuality(EnhanceProgress& progress, uint8_t** framePointers, int32_t n,
                        int32_t width, int32_t height, int32_t reference, uint8_t* outPixels,
                        int32_t outWidth, int32_t outHeight, const QualityOptions& options,
                        const RegistrationObserver& observer) {
    if (!InputSupported(framePointers, n, width, height, reference, outPixels, outWidth,
                        outHeight)) {
        return false;
    }
    if (reference >= 1) {
        std::swap(framePointers[0], framePointers[reference]);
    }
    QualityRun run(progress, framePointers, n, width, height, outWidth, outHeight, options);
    return run.Run(reference, outPixels, observer);
}

}  // namespace lumivex
