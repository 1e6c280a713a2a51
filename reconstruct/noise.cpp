#include "reconstruct/noise.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "engine/parallel.h"
#include "reconstruct/colour.h"

namespace lumivex::recon {

namespace {

// Magnitudes are counted in bins of 1/16 grey level up to 256, then one overflow bin.
constexpr int32_t kBinsPerLevel = 16;
constexpr int32_t kBins = 256 * kBinsPerLevel + 1;
// The operator's response to white noise of unit sigma has sigma 6 (the root of its squared
// taps' sum); the median of a Gaussian's magnitude is 0.6745 sigma.
constexpr double kResponseSigma = 6.0;
constexpr double kMedianToSigma = 1.0 / 0.6745;
// Rows per parallel range at least.
constexpr int32_t kMinRows = 16;

// The operator at (u, v) of the channel values in three consecutive rows.
float SecondDifference(const float* above, const float* row, const float* below, int32_t u) {
    return above[u - 1] + above[u + 1] + below[u - 1] + below[u + 1] -
           2.0F * (above[u] + below[u] + row[u - 1] + row[u + 1]) + 4.0F * row[u];
}

void ChannelRow(const uint8_t* frame, int32_t width, int32_t v, Channel channel, float* out) {
    const uint8_t* pixels = frame + static_cast<size_t>(v) * width * 3;
    for (int32_t u = 0; u < width; ++u) {
        out[u] = ChannelValue(pixels + 3 * u, channel);
    }
}

using Histogram = std::vector<uint64_t>;

// Counts the operator's magnitudes over both colour differences at rows v0 … v1 − 1 (each with a
// row above and below it) into histogram.
void CountRows(const uint8_t* frame, int32_t width, int32_t v0, int32_t v1, Histogram& histogram) {
    std::vector<float> rows(static_cast<size_t>(3) * width);
    for (const Channel channel : {Channel::kBlueDifference, Channel::kRedDifference}) {
        float* r[3] = {rows.data(), rows.data() + width, rows.data() + 2 * width};
        ChannelRow(frame, width, v0 - 1, channel, r[0]);
        ChannelRow(frame, width, v0, channel, r[1]);
        for (int32_t v = v0; v < v1; ++v) {
            ChannelRow(frame, width, v + 1, channel, r[2]);
            for (int32_t u = 1; u + 1 < width; ++u) {
                const float e = std::abs(SecondDifference(r[0], r[1], r[2], u));
                ++histogram[std::min<size_t>(static_cast<size_t>(e * kBinsPerLevel), kBins - 1)];
            }
            std::rotate(r, r + 1, r + 3);
        }
    }
}

}  // namespace

double ColourNoise(const uint8_t* frame, int32_t width, int32_t height) {
    if (width < 3 || height < 3) {
        return 0.0;
    }
    // Counts add up to the same histogram however the rows are split.
    Histogram histogram(kBins, 0);
    std::mutex histogramMutex;
    engine::ParallelFor(height - 2, kMinRows, [&](int32_t begin, int32_t end) {
        Histogram part(kBins, 0);
        CountRows(frame, width, begin + 1, end + 1, part);
        const std::lock_guard<std::mutex> lock(histogramMutex);
        for (int32_t b = 0; b < kBins; ++b) {
            histogram[b] += part[b];
        }
    });
    const uint64_t total = uint64_t{2} * (width - 2) * (height - 2);
    uint64_t seen = 0;
    int32_t bin = 0;
    while (bin + 1 < kBins && 2 * (seen + histogram[bin]) < total) {
        seen += histogram[bin++];
    }
    const double median = (bin + 0.5) / kBinsPerLevel;
    return median * kMedianToSigma / kResponseSigma;
}

}  // namespace lumivex::recon
