// The unsharp mask a row at a time: the horizontal blur of each row into a scratch plane, then
// each output row's vertical blur and sharpening in one step, rows shared between threads.
// Every sample is the same sum of the same products in the same tap order as ConvolveLine;
// the loops run across samples so that they can use vector instructions.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/cpu_features.h"
#include "engine/parallel.h"
#include "engine/sharpen.h"

#ifdef LUMIVEX_X86_KERNELS
#include <immintrin.h>
#endif

namespace lumivex::engine {

namespace {

LUMIVEX_AVX2_CLONES void ToReals(const uint8_t* bytes, double* reals, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        reals[i] = bytes[i];
    }
}

// out[i] = RoundToByte(Σk taps[k][i] × weights[k]) (divided by `divisor` when divide is set),
// the products added in tap order starting from 0.
void WeightedSumsScalar(const double* const* taps, const double* weights, int32_t n, int32_t from,
                        int32_t count, bool divide, double divisor, uint8_t* out) {
    for (int32_t i = from; i < count; ++i) {
        double sum = 0.0;
        for (int32_t k = 0; k < n; ++k) {
            sum += taps[k][i] * weights[k];
        }
        out[i] = RoundToByte(divide ? sum / divisor : sum);
    }
}

// out[i] = SharpenSample(row[i], blurred[i], amount, threshold).
void SharpenSamplesScalar(uint8_t* row, const uint8_t* blurred, int32_t from, int32_t count,
                          double amount, double threshold) {
    for (int32_t i = from; i < count; ++i) {
        row[i] = SharpenSample(row[i], blurred[i], amount, threshold);
    }
}

#ifdef LUMIVEX_X86_KERNELS

// RoundToByte of four sums (each divided by divisor first when divide is set).
__attribute__((target("avx2"))) void StoreRoundedBytes(__m256d sum, bool divide, double divisor,
                                                       uint8_t* out) {
    if (divide) {
        sum = _mm256_div_pd(sum, _mm256_set1_pd(divisor));
    }
    const __m256d rounded = _mm256_min_pd(_mm256_floor_pd(_mm256_add_pd(sum, _mm256_set1_pd(0.5))),
                                          _mm256_set1_pd(255.0));
    const __m128i whole = _mm256_cvttpd_epi32(rounded);
    const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(whole, whole), whole);
    const int32_t four = _mm_cvtsi128_si32(bytes);
    std::memcpy(out, &four, 4);
}

// Samples in vectors of four, each summed in its own lane in the scalar order.
__attribute__((target("avx2"))) void WeightedSumsAvx2(const double* const* taps,
                                                      const double* weights, int32_t n,
                                                      int32_t count, bool divide, double divisor,
                                                      uint8_t* out) {
    // Four vectors at once, so that the additions of one do not wait for those of another.
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256d sum[4] = {_mm256_setzero_pd(), _mm256_setzero_pd(), _mm256_setzero_pd(),
                          _mm256_setzero_pd()};
        for (int32_t k = 0; k < n; ++k) {
            const __m256d w = _mm256_set1_pd(weights[k]);
            for (int32_t v = 0; v < 4; ++v) {
                sum[v] =
                    _mm256_add_pd(sum[v], _mm256_mul_pd(_mm256_loadu_pd(taps[k] + i + 4 * v), w));
            }
        }
        for (int32_t v = 0; v < 4; ++v) {
            StoreRoundedBytes(sum[v], divide, divisor, out + i + 4 * v);
        }
    }
    for (; i + 4 <= count; i += 4) {
        __m256d sum = _mm256_setzero_pd();
        for (int32_t k = 0; k < n; ++k) {
            sum = _mm256_add_pd(
                sum, _mm256_mul_pd(_mm256_loadu_pd(taps[k] + i), _mm256_set1_pd(weights[k])));
        }
        StoreRoundedBytes(sum, divide, divisor, out + i);
    }
    WeightedSumsScalar(taps, weights, n, i, count, divide, divisor, out);
}

__attribute__((target("avx2"))) void SharpenSamplesAvx2(uint8_t* row, const uint8_t* blurred,
                                                        int32_t count, double amount,
                                                        double threshold) {
    const __m256d signBit = _mm256_set1_pd(-0.0);
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        int32_t rowBytes;
        int32_t blurBytes;
        std::memcpy(&rowBytes, row + i, 4);
        std::memcpy(&blurBytes, blurred + i, 4);
        const __m256d v = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(rowBytes)));
        const __m256d b = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(blurBytes)));
        const __m256d diff = _mm256_sub_pd(v, b);
        const __m256d magnitude =
            _mm256_andnot_pd(signBit, _mm256_mul_pd(_mm256_set1_pd(2.0), diff));
        const __m256d small = _mm256_cmp_pd(magnitude, _mm256_set1_pd(threshold), _CMP_LT_OQ);
        const __m256d used = _mm256_andnot_pd(small, diff);
        const __m256d sharpened =
            _mm256_round_pd(_mm256_add_pd(v, _mm256_mul_pd(_mm256_set1_pd(amount), used)),
                            _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m256d clamped =
            _mm256_min_pd(_mm256_max_pd(sharpened, _mm256_setzero_pd()), _mm256_set1_pd(255.0));
        const __m128i whole = _mm256_cvttpd_epi32(clamped);
        const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(whole, whole), whole);
        const int32_t four = _mm_cvtsi128_si32(bytes);
        std::memcpy(row + i, &four, 4);
    }
    SharpenSamplesScalar(row, blurred, i, count, amount, threshold);
}

void WeightedSums(const double* const* taps, const double* weights, int32_t n, int32_t count,
                  bool divide, double divisor, uint8_t* out) {
    if (CpuHasAvx2()) {
        WeightedSumsAvx2(taps, weights, n, count, divide, divisor, out);
    } else {
        WeightedSumsScalar(taps, weights, n, 0, count, divide, divisor, out);
    }
}

void SharpenSamples(uint8_t* row, const uint8_t* blurred, int32_t count, double amount,
                    double threshold) {
    if (CpuHasAvx2()) {
        SharpenSamplesAvx2(row, blurred, count, amount, threshold);
    } else {
        SharpenSamplesScalar(row, blurred, 0, count, amount, threshold);
    }
}

#else

void WeightedSums(const double* const* taps, const double* weights, int32_t n, int32_t count,
                  bool divide, double divisor, uint8_t* out) {
    WeightedSumsScalar(taps, weights, n, 0, count, divide, divisor, out);
}

void SharpenSamples(uint8_t* row, const uint8_t* blurred, int32_t count, double amount,
                    double threshold) {
    SharpenSamplesScalar(row, blurred, 0, count, amount, threshold);
}

#endif

struct Kernel {
    std::vector<double> weights;
    std::vector<double> table;
    int32_t n = 0;
    int32_t half = 0;
};

// Horizontal blur of one row: the samples of pixels whose window lies inside the row by the
// vector loop, the few near each end as ConvolveLine does them.
void BlurRow(const Kernel& kernel, int32_t channels, const uint8_t* src, uint8_t* dst, int32_t cols,
             std::vector<double>& reals) {
    const int32_t innerFirst = kernel.half;
    const int32_t innerEnd = std::max(cols - kernel.half, innerFirst);
    const int32_t innerSamples = (innerEnd - innerFirst) * channels;
    if (innerSamples > 0) {
        ToReals(src, reals.data(), cols * channels);
        std::vector<const double*> taps(static_cast<size_t>(kernel.n));
        for (int32_t k = 0; k < kernel.n; ++k) {
            taps[k] = reals.data() + k * channels;
        }
        WeightedSums(taps.data(), kernel.weights.data(), kernel.n, innerSamples, false, 1.0,
                     dst + innerFirst * channels);
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

// The horizontally blurred rows as reals, each converted once: a ring of kernel.n rows.
class RealRows {
public:
    RealRows(BytePlane blurred, int32_t n)
        : blurred_(blurred), rows_(static_cast<size_t>(n)), keys_(static_cast<size_t>(n), -1) {
        for (auto& row : rows_) {
            row.resize(static_cast<size_t>(blurred.cols) * blurred.channels);
        }
    }
    const double* Get(int32_t r) {
        const auto slot = static_cast<size_t>(r) % rows_.size();
        if (keys_[slot] != r) {
            ToReals(blurred_.Row(r), rows_[slot].data(), blurred_.cols * blurred_.channels);
            keys_[slot] = r;
        }
        return rows_[slot].data();
    }

private:
    BytePlane blurred_;
    std::vector<std::vector<double>> rows_;
    std::vector<int32_t> keys_;
};

// Vertical blur of output row r from the horizontally blurred rows, then the mask.
void SharpenRow(const Kernel& kernel, BytePlane plane, RealRows& blurred, int32_t r, double amount,
                double threshold, std::vector<uint8_t>& line) {
    const int32_t samples = plane.cols * plane.channels;
    std::vector<const double*> taps;
    std::vector<double> weights;
    double used = 0.0;
    const int32_t first = r - kernel.half;
    for (int32_t k = 0; k < kernel.n; ++k) {
        const int32_t source = first + k;
        if (source < 0 || source >= plane.rows) {
            continue;
        }
        taps.push_back(blurred.Get(source));
        weights.push_back(kernel.weights[k]);
        used += kernel.weights[k];
    }
    const bool complete = first >= 0 && r + kernel.half < plane.rows;
    WeightedSums(taps.data(), weights.data(), static_cast<int32_t>(taps.size()), samples, !complete,
                 used, line.data());
    SharpenSamples(plane.Row(r), line.data(), samples, amount, threshold);
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
        std::vector<double> reals(samples);
        for (int32_t r = begin; r < end; ++r) {
            BlurRow(kernel, plane.channels, plane.Row(r), scratch.Row(r), plane.cols, reals);
        }
    });
    ParallelFor(plane.rows, 4, [&](int32_t begin, int32_t end) {
        std::vector<uint8_t> line(samples);
        RealRows blurred(scratch, kernel.n);
        for (int32_t r = begin; r < end; ++r) {
            SharpenRow(kernel, plane, blurred, r, amount, threshold, line);
        }
    });
}

void SharpenFused(BytePlane plane, BytePlane scratch) {
    constexpr double kWidth = 5.0;
    constexpr double kAmount = 0.3;
    constexpr double kThreshold = 0.0;
    Sharpen(plane, scratch, kWidth, kAmount, kThreshold);
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
