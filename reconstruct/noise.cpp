#include "reconstruct/noise.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

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

}  // namespace

double ColourNoise(const uint8_t* frame, int32_t width, int32_t height) {
    if (width < 3 || height < 3) {
        return 0.0;
    }
    std::vector<uint64_t> histogram(kBins, 0);
    std::vector<float> rows(static_cast<size_t>(3) * width);
    for (const Channel channel : {Channel::kBlueDifference, Channel::kRedDifference}) {
        float* r[3] = {rows.data(), rows.data() + width, rows.data() + 2 * width};
        ChannelRow(frame, width, 0, channel, r[0]);
        ChannelRow(frame, width, 1, channel, r[1]);
        for (int32_t v = 1; v + 1 < height; ++v) {
            ChannelRow(frame, width, v + 1, channel, r[2]);
            for (int32_t u = 1; u + 1 < width; ++u) {
                const float e = std::abs(SecondDifference(r[0], r[1], r[2], u));
                ++histogram[std::min<size_t>(static_cast<size_t>(e * kBinsPerLevel), kBins - 1)];
            }
            std::rotate(r, r + 1, r + 3);
        }
    }
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
