#include "reconstruct/data_term.h"

#include "reconstruct/outlier_mask.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lumivex::recon {

namespace {

// Frame rows per parallel block: the blocks fix the order of every sum over a frame.
constexpr int32_t kBlockRows = 8;
// Residual histogram: bins of 1/8 grey level up to 128, then one overflow bin.
constexpr int32_t kBinsPerLevel = 8;
constexpr int32_t kBins = 128 * kBinsPerLevel + 1;

using Histogram = std::vector<uint64_t>;

double HistogramMedian(const Histogram& h) {
    uint64_t total = 0;
    for (const uint64_t c : h) {
        total += c;
    }
    if (total == 0) {
        return 0.0;
    }
    uint64_t seen = 0;
    for (size_t b = 0; b < h.size(); ++b) {
        seen += h[b];
        if (2 * seen >= total) {
            return (static_cast<double>(b) + 0.5) / kBinsPerLevel;
        }
    }
    return static_cast<double>(kBins) / kBinsPerLevel;
}

int32_t BlockCount(int32_t rows) {
    return (rows + kBlockRows - 1) / kBlockRows;
}

}  // namespace

// fn(block, row0, row1) for the fixed row blocks of frame k, on the engine's threads.
template <typename PixelFn>
void DataTerm::ForEachRowBlock(int32_t k, const PixelFn& fn) {
    const int32_t height = sampling_[k].Height();
    ForEachIndex(BlockCount(height), [&](int32_t block) {
        const int32_t row0 = block * kBlockRows;
        fn(block, row0, std::min(height, row0 + kBlockRows));
    });
}

DataTerm::DataTerm(std::vector<const uint8_t*> frames, std::vector<FrameSampling> sampling,
                   int32_t outWidth, int32_t outHeight)
    : frames_(std::move(frames)),
      sampling_(std::move(sampling)),
      frameWeight_(frames_.size(), 1.0F),
      weights_(frames_.size()),
      outWidth_(outWidth),
      outHeight_(outHeight) {
    if (sampling_.empty()) {
        return;
    }
    const int32_t width = sampling_[0].Width();
    const int32_t height = sampling_[0].Height();
    scratch_ = FloatPlane(height, width);
    for (size_t k = 0; k < frames_.size(); ++k) {
        weights_[k].resize(static_cast<size_t>(width) * height);
        ResetPixelWeights(static_cast<int32_t>(k));
    }
}

void DataTerm::ResetPixelWeights(int32_t k) {
    const FrameSampling& s = sampling_[k];
    float* w = weights_[k].data();
    ForEachRowBlock(k, [&](int32_t, int32_t row0, int32_t row1) {
        for (int32_t v = row0; v < row1; ++v) {
            for (int32_t u = 0; u < s.Width(); ++u) {
                w[static_cast<size_t>(v) * s.Width() + u] = s.Valid(u, v) ? 1.0F : 0.0F;
            }
        }
    });
}

void DataTerm::SetSampling(int32_t k, FrameSampling sampling) {
    sampling_[k] = std::move(sampling);
    ResetPixelWeights(k);
}

void DataTerm::Simulate(int32_t k, const FloatPlane& x, FloatPlane& out) {
    ForEachRowBlock(
        k, [&](int32_t, int32_t row0, int32_t row1) { sampling_[k].Forward(x, out, row0, row1); });
}

void DataTerm::FrameChannel(int32_t k, Channel channel, FloatPlane& out) const {
    const uint8_t* pixels = frames_[k];
    ForEachBlock(out.Size(), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            out.data[i] = ChannelValue(pixels + 3 * i, channel);
        }
    });
}

bool DataTerm::Apply(const FloatPlane& x, Channel channel, bool observed, FloatPlane& out,
                     const FrameTick& tick) {
    Fill(out, 0.0F);
    for (int32_t k = 0; k < FrameCount(); ++k) {
        const float fw = frameWeight_[k];
        if (fw > 0.0F) {
            const FrameSampling& s = sampling_[k];
            const int32_t width = s.Width();
            const uint8_t* pixels = frames_[k];
            const float* w = weights_[k].data();
            const auto weighted = [&](int32_t row0, int32_t row1) {
                s.Forward(x, scratch_, row0, row1);
                for (int32_t v = row0; v < row1; ++v) {
                    float* value = scratch_.Row(v);
                    const size_t base = static_cast<size_t>(v) * width;
                    for (int32_t u = 0; u < width; ++u) {
                        const float y =
                            observed ? ChannelValue(pixels + 3 * (base + u), channel) : 0.0F;
                        value[u] = fw * w[base + u] * (value[u] - y);
                    }
                }
            };
            s.FillAndAdjoint(weighted, scratch_, out);
        }
        if (!tick()) {
            return false;
        }
    }
    return true;
}

bool DataTerm::BackProject(const Channel* channel, FloatPlane& out, const FrameTick& tick) {
    Fill(out, 0.0F);
    for (int32_t k = 0; k < FrameCount(); ++k) {
        const float fw = frameWeight_[k];
        if (fw > 0.0F) {
            const int32_t width = sampling_[k].Width();
            const uint8_t* pixels = frames_[k];
            const float* w = weights_[k].data();
            ForEachRowBlock(k, [&](int32_t, int32_t row0, int32_t row1) {
                for (int32_t v = row0; v < row1; ++v) {
                    float* value = scratch_.Row(v);
                    const size_t base = static_cast<size_t>(v) * width;
                    for (int32_t u = 0; u < width; ++u) {
                        const float y =
                            channel ? ChannelValue(pixels + 3 * (base + u), *channel) : 1.0F;
                        value[u] = fw * w[base + u] * y;
                    }
                }
            });
            sampling_[k].Adjoint(scratch_, out);
        }
        if (!tick()) {
            return false;
        }
    }
    return true;
}

bool DataTerm::Reweight(const FloatPlane& x, const RobustLimits& limits, ResidualStats& stats,
                        const FrameTick& tick) {
    stats.frameMedian.assign(frames_.size(), 0.0);
    stats.meanWeight.assign(frames_.size(), 0.0);
    Histogram all(kBins, 0);
    double curvature = 0.0;
    for (int32_t k = 0; k < FrameCount(); ++k) {
        const FrameSampling& s = sampling_[k];
        const int32_t width = s.Width();
        const int32_t blocks = BlockCount(s.Height());
        std::vector<Histogram> hist(static_cast<size_t>(blocks), Histogram(kBins, 0));
        std::vector<double> curv(static_cast<size_t>(blocks), 0.0);
        std::vector<double> weightSum(static_cast<size_t>(blocks), 0.0);
        ForEachRowBlock(k, [&](int32_t block, int32_t row0, int32_t row1) {
            HuberRows(k, x, limits, row0, row1, hist[static_cast<size_t>(block)]);
        });
        const bool masked = std::isfinite(limits.coherent);
        // Where the reference disagrees with the other frames, it is trusted in full.
        const float maskedWeight = (k == 0 && limits.keepReference) ? 1.0F : 0.0F;
        if (masked) {
            MarkCoherentOutliers(scratch_, static_cast<float>(limits.coherent), mask_);
        }
        float* w = weights_[k].data();
        ForEachRowBlock(k, [&](int32_t block, int32_t row0, int32_t row1) {
            // Summed apart from the neighbouring blocks' sums, which share its cache line.
            double blockCurvature = 0.0;
            double blockWeights = 0.0;
            for (int32_t v = row0; v < row1; ++v) {
                const size_t base = static_cast<size_t>(v) * width;
                for (int32_t u = 0; u < width; ++u) {
                    if (masked && mask_[base + u] != 0 && s.Valid(u, v)) {
                        w[base + u] = maskedWeight;
                    }
                    blockCurvature += w[base + u] * s.WeightSquares(u, v);
                    blockWeights += w[base + u];
                }
            }
            curv[static_cast<size_t>(block)] = blockCurvature;
            weightSum[static_cast<size_t>(block)] = blockWeights;
        });
        Histogram frame(kBins, 0);
        double frameCurvature = 0.0;
        double frameWeights = 0.0;
        for (int32_t b = 0; b < blocks; ++b) {
            for (int32_t i = 0; i < kBins; ++i) {
                frame[i] += hist[b][i];
            }
            frameCurvature += curv[b];
            frameWeights += weightSum[b];
        }
        uint64_t valid = 0;
        for (int32_t i = 0; i < kBins; ++i) {
            valid += frame[i];
            if (frameWeight_[k] > 0.0F) {
                all[i] += frame[i];
            }
        }
        stats.frameMedian[k] = HistogramMedian(frame);
        stats.meanWeight[k] = valid > 0 ? frameWeight_[k] * frameWeights / valid : 0.0;
        curvature += frameWeight_[k] * frameCurvature;
        if (!tick()) {
            return false;
        }
    }
    stats.median = HistogramMedian(all);
    stats.curvature = curvature / (static_cast<double>(outWidth_) * outHeight_);
    return true;
}

// Rows [row0, row1) of frame k: the Huber weights of the luminance residuals, tapered off beyond
// the cutoff, into the pixel weights; the signed residuals (0 off the grid) into scratch_; their
// magnitudes into h.
void DataTerm::HuberRows(int32_t k, const FloatPlane& x, const RobustLimits& limits, int32_t row0,
                         int32_t row1, Histogram& h) {
    const auto d = static_cast<float>(limits.delta);
    const auto c = static_cast<float>(limits.cutoff);
    const FrameSampling& s = sampling_[k];
    const int32_t width = s.Width();
    const uint8_t* pixels = frames_[k];
    float* w = weights_[k].data();
    s.Forward(x, scratch_, row0, row1);
    for (int32_t v = row0; v < row1; ++v) {
        float* value = scratch_.Row(v);
        const size_t base = static_cast<size_t>(v) * width;
        for (int32_t u = 0; u < width; ++u) {
            if (!s.Valid(u, v)) {
                value[u] = 0.0F;
                continue;
            }
            value[u] -= ChannelValue(pixels + 3 * (base + u), Channel::kLuma);
            const float e = std::abs(value[u]);
            float weight = e > d ? d / e : 1.0F;
            if (e > c) {
                weight *= std::max(0.0F, 2.0F - e / c);
            }
            w[base + u] = weight;
            ++h[std::min<size_t>(static_cast<size_t>(e * kBinsPerLevel), kBins - 1)];
        }
    }
}

}  // namespace lumivex::recon
