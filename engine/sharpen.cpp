#include "engine/sharpen.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumivex::engine {

namespace {

double Gaussian(double t, double s) {
    return std::exp(-t * t / (2.0 * s * s));
}

}  // namespace

std::vector<double> GaussianKernel(double p) {
    const double s = std::fabs(p) + 1.0;
    const auto n = std::max(static_cast<int32_t>(2.0 * std::ceil(2.0 * s - 0.5) + 1.0), 1);
    const int32_t half = n / 2;
    std::vector<double> weights(static_cast<size_t>(n), 0.0);
    for (int32_t i = half + 1; i < n; ++i) {
        const double t0 = i - half - 0.5;
        double sum = 0.0;
        for (int32_t j = 1; j <= 50; ++j) {
            const double t = t0 + 0.02 * j;
            if (t <= 2.0 * s) {
                sum += Gaussian(t, s);
            }
        }
        weights[i] = 0.02 * sum;
        weights[n - 1 - i] = weights[i];
    }
    double centre = 0.0;
    for (int32_t j = 0; j <= 50; ++j) {
        centre += Gaussian(0.5 + 0.02 * j, s);
    }
    weights[half] = centre / 51.0;
    double total = 0.0;
    for (const double w : weights) {
        total += w;
    }
    for (double& w : weights) {
        w /= total;
    }
    return weights;
}

std::vector<double> KernelProductTable(const std::vector<double>& weights) {
    std::vector<double> table(weights.size() * 256);
    for (size_t k = 0; k < weights.size(); ++k) {
        for (int32_t v = 0; v < 256; ++v) {
            table[k * 256 + v] = v * weights[k];
        }
    }
    return table;
}

uint8_t BlurSample(int32_t channels, const double* table, const double* weights, int32_t n,
                   const uint8_t* src, int32_t count, int32_t i, int32_t ch) {
    const int32_t first = i - n / 2;
    const bool complete = first >= 0 && i + n / 2 < count;
    double sum = 0.0;
    double used = 0.0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t source = first + k;
        if (source < 0 || source >= count) {
            continue;
        }
        sum += table[k * 256 + src[source * channels + ch]];
        used += weights[k];
    }
    return RoundToByte(complete ? sum : sum / used);
}

void ConvolveLine(int32_t channels, const double* table, const double* weights, int32_t n,
                  const uint8_t* src, uint8_t* dst, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        for (int32_t ch = 0; ch < channels; ++ch) {
            dst[i * channels + ch] = BlurSample(channels, table, weights, n, src, count, i, ch);
        }
    }
}

uint8_t SharpenSample(uint8_t original, uint8_t blurred, double amount, double threshold) {
    double diff = static_cast<double>(original) - blurred;
    if (std::fabs(2.0 * diff) < threshold) {
        diff = 0.0;
    }
    const double sharpened = std::trunc(original + amount * diff);
    return static_cast<uint8_t>(std::clamp(sharpened, 0.0, 255.0));
}

namespace scalar {

void Sharpen(BytePlane plane, double widthParameter, double amount, double threshold) {
    const std::vector<uint8_t> original(plane.data, plane.data + plane.SampleCount());
    const std::vector<double> weights = GaussianKernel(widthParameter);
    const std::vector<double> table = KernelProductTable(weights);
    const auto n = static_cast<int32_t>(weights.size());
    const int32_t ch = plane.channels;

    std::vector<uint8_t> line(static_cast<size_t>(std::max(plane.rows, plane.cols)) * ch);
    std::vector<uint8_t> blurred(line.size());
    for (int32_t r = 0; r < plane.rows; ++r) {
        std::memcpy(line.data(), plane.Row(r), static_cast<size_t>(plane.cols) * ch);
        ConvolveLine(ch, table.data(), weights.data(), n, line.data(), plane.Row(r), plane.cols);
    }
    for (int32_t c = 0; c < plane.cols; ++c) {
        for (int32_t r = 0; r < plane.rows; ++r) {
            std::memcpy(&line[static_cast<size_t>(r) * ch], &plane.At(r, c), ch);
        }
        ConvolveLine(ch, table.data(), weights.data(), n, line.data(), blurred.data(), plane.rows);
        for (int32_t r = 0; r < plane.rows; ++r) {
            std::memcpy(&plane.At(r, c), &blurred[static_cast<size_t>(r) * ch], ch);
        }
    }

    for (size_t i = 0; i < original.size(); ++i) {
        plane.data[i] = SharpenSample(original[i], plane.data[i], amount, threshold);
    }
}

}  // namespace scalar

}  // namespace lumivex::engine
