// The unsharp mask a row at a time: the horizontal blur of each row into a scratch plane, then
// each output row's vertical blur and sharpening in one step, rows shared between threads.
// Every sample is the same sum of the same products in the same tap order as ConvolveLine;
// the loops run across samples so that they can use vector instructions.
#include <algorithm>
#include <vector>

#include "engine/parallel.h"
#include "engine/sharpen.h"

namespace lumivex::engine {

namespace {

// acc[i] += line[i] × weight for i < count.
__attribute__((target_clones("avx2", "default"))) void AccumulateBytes(double* acc,
                                                                       const uint8_t* line,
                                                                       double weight,
                                                                       int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        acc[i] += line[i] * weight;
    }
}

__attribute__((target_clones("avx2", "default"))) void RoundRow(const double* acc, uint8_t* out,
                                                                int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        out[i] = RoundToByte(acc[i]);
    }
}

struct Kernel {
    std::vector<double> weights;
    std::vector<double> table;
    int32_t n = 0;
    int32_t half = 0;
};

// Horizontal blur of one row: the samples of pixels whose window lies inside the row by the
// vector loop, the few near each end as ConvolveLine does them.
void BlurRow(const Kernel& kernel, int32_t channels, const uint8_t* src, uint8_t* dst, int32_t cols,
             std::vector<double>& acc) {
    const int32_t innerFirst = kernel.half;
    const int32_t innerEnd = std::max(cols - kernel.half, innerFirst);
    const int32_t innerSamples = (innerEnd - innerFirst) * channels;
    if (innerSamples > 0) {
        std::fill(acc.begin(), acc.begin() + innerSamples, 0.0);
        for (int32_t k = 0; k < kernel.n; ++k) {
            AccumulateBytes(acc.data(), src + (k * channels), kernel.weights[k], innerSamples);
        }
        RoundRow(acc.data(), dst + innerFirst * channels, innerSamples);
    }
    for (int32_t i = 0; i < cols; ++i) {
        if (i >= innerFirst && i < innerEnd) {
            i = innerEnd - 1;
            continue;
        }
        for (int32_t ch = 0; ch < channels; ++ch) {
            dst[i * channels + ch] = BlurSample(channels, kernel.table.data(),
                                                kernel.weights.data(), kernel.n, src, cols, i, ch);
        }
    }
}

// Vertical blur of output row r from the horizontally blurred rows, then the mask.
void SharpenRow(const Kernel& kernel, BytePlane plane, BytePlane blurred, int32_t r, double amount,
                double threshold, std::vector<double>& acc, std::vector<uint8_t>& line) {
    const int32_t samples = plane.cols * plane.channels;
    std::fill(acc.begin(), acc.begin() + samples, 0.0);
    double used = 0.0;
    const int32_t first = r - kernel.half;
    for (int32_t k = 0; k < kernel.n; ++k) {
        const int32_t source = first + k;
        if (source < 0 || source >= plane.rows) {
            continue;
        }
        AccumulateBytes(acc.data(), blurred.Row(source), kernel.weights[k], samples);
        used += kernel.weights[k];
    }
    if (first < 0 || r + kernel.half >= plane.rows) {
        for (int32_t i = 0; i < samples; ++i) {
            acc[i] = acc[i] / used;
        }
    }
    RoundRow(acc.data(), line.data(), samples);
    uint8_t* row = plane.Row(r);
    for (int32_t i = 0; i < samples; ++i) {
        row[i] = SharpenSample(row[i], line[i], amount, threshold);
    }
}

}  // namespace

void Sharpen(BytePlane plane, BytePlane scratch, double widthParameter, double amount,
             double threshold) {
    if (ScalarOracle()) {
        scalar::Sharpen(plane, widthParameter, amount, threshold);
        return;
    }
    Kernel kernel;
    kernel.weights = GaussianKernel(widthParameter);
    kernel.table = KernelProductTable(kernel.weights);
    kernel.n = static_cast<int32_t>(kernel.weights.size());
    kernel.half = kernel.n / 2;
    const auto samples = static_cast<size_t>(plane.cols) * static_cast<size_t>(plane.channels);
    ParallelFor(plane.rows, 4, [&](int32_t begin, int32_t end) {
        std::vector<double> acc(samples);
        for (int32_t r = begin; r < end; ++r) {
            BlurRow(kernel, plane.channels, plane.Row(r), scratch.Row(r), plane.cols, acc);
        }
    });
    ParallelFor(plane.rows, 4, [&](int32_t begin, int32_t end) {
        std::vector<double> acc(samples);
        std::vector<uint8_t> line(samples);
        for (int32_t r = begin; r < end; ++r) {
            SharpenRow(kernel, plane, scratch, r, amount, threshold, acc, line);
        }
    });
}

void Sharpen(BytePlane plane, double widthParameter, double amount, double threshold) {
    if (ScalarOracle()) {
        scalar::Sharpen(plane, widthParameter, amount, threshold);
        return;
    }
    const PlaneBuffer<uint8_t> scratch(plane.rows, plane.cols, plane.channels);
    Sharpen(plane, scratch, widthParameter, amount, threshold);
}

}  // namespace lumivex::engine
