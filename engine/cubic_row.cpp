#include "engine/cubic_row.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#include "engine/cpu_features.h"
#include "engine/resample.h"

#ifdef LUMIVEX_X86_KERNELS
#include <immintrin.h>
#endif

namespace lumivex::engine {

namespace {

void CubicRowScalar(BytePlane src, const double* xs, const double* ys, const uint8_t* skip,
                    int32_t from, int32_t count, uint8_t* dst) {
    const auto channels = static_cast<size_t>(src.channels);
    for (int32_t j = from; j < count; ++j) {
        if (skip == nullptr || skip[j] == 0) {
            SampleCubic(src, xs[j], ys[j], dst + static_cast<size_t>(j) * channels);
        }
    }
}

#ifdef LUMIVEX_X86_KERNELS

// CubicWeight of taps −1 … 2 for eight fractions, with the same operations in the same order.
__attribute__((target("avx2"), always_inline)) inline void CubicWeights8(__m256 t, __m256 w[4]) {
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 t2 = _mm256_mul_ps(t, t);
    const __m256 t3 = _mm256_mul_ps(t2, t);
    const __m256 negT3 = _mm256_xor_ps(t3, _mm256_set1_ps(-0.0f));
    // (-t3 + 2 t2 - t) / 2
    w[0] = _mm256_mul_ps(
        _mm256_sub_ps(_mm256_add_ps(negT3, _mm256_mul_ps(_mm256_set1_ps(2.0f), t2)), t), half);
    // (3 t3 - 5 t2 + 2) / 2
    w[1] = _mm256_mul_ps(_mm256_add_ps(_mm256_sub_ps(_mm256_mul_ps(_mm256_set1_ps(3.0f), t3),
                                                     _mm256_mul_ps(_mm256_set1_ps(5.0f), t2)),
                                       _mm256_set1_ps(2.0f)),
                         half);
    // (-3 t3 + 4 t2 + t) / 2
    w[2] = _mm256_mul_ps(_mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(-3.0f), t3),
                                                     _mm256_mul_ps(_mm256_set1_ps(4.0f), t2)),
                                       t),
                         half);
    // (t3 - t2) / 2
    w[3] = _mm256_mul_ps(_mm256_sub_ps(t3, t2), half);
}

// Integer part and single-precision fraction of eight positions (all ≥ 1).
__attribute__((target("avx2"), always_inline)) inline void SplitPositions8(const double* p,
                                                                           __m256i& whole,
                                                                           __m256& fraction) {
    const __m256d lo = _mm256_loadu_pd(p);
    const __m256d hi = _mm256_loadu_pd(p + 4);
    const __m256d floorLo = _mm256_floor_pd(lo);
    const __m256d floorHi = _mm256_floor_pd(hi);
    whole = _mm256_set_m128i(_mm256_cvttpd_epi32(floorHi), _mm256_cvttpd_epi32(floorLo));
    fraction = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(hi, floorHi)),
                               _mm256_cvtpd_ps(_mm256_sub_pd(lo, floorLo)));
}

__attribute__((target("avx2"), always_inline)) inline __m256i RoundToBytes8(__m256 sum) {
    const __m256 v = _mm256_add_ps(sum, _mm256_set1_ps(0.5f));
    const __m256 clamped =
        _mm256_max_ps(_mm256_min_ps(v, _mm256_set1_ps(255.0f)), _mm256_setzero_ps());
    return _mm256_cvttps_epi32(clamped);
}

// The 4 taps of one source row for eight pixels, as three vectors (blue, green, red) whose lane
// l holds pixel l's four samples of that channel in its four bytes, tap −1 lowest. Each pixel's
// 12 bytes come from one 16-byte load; the loads are then transposed.
__attribute__((target("avx2"), always_inline)) inline void LoadTapRow(const uint8_t* src,
                                                                      const int32_t* offsets,
                                                                      __m256i& blue, __m256i& green,
                                                                      __m256i& red) {
    const __m128i byChannel = _mm_setr_epi8(0, 3, 6, 9, 1, 4, 7, 10, 2, 5, 8, 11, -1, -1, -1, -1);
    __m256i q[4];
    for (int32_t l = 0; l < 4; ++l) {
        const __m128i low = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + offsets[l])), byChannel);
        const __m128i high = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + offsets[l + 4])), byChannel);
        q[l] = _mm256_set_m128i(high, low);
    }
    const __m256i t0 = _mm256_unpacklo_epi32(q[0], q[1]);
    const __m256i t1 = _mm256_unpacklo_epi32(q[2], q[3]);
    const __m256i t2 = _mm256_unpackhi_epi32(q[0], q[1]);
    const __m256i t3 = _mm256_unpackhi_epi32(q[2], q[3]);
    blue = _mm256_unpacklo_epi64(t0, t1);
    green = _mm256_unpackhi_epi64(t0, t1);
    red = _mm256_unpacklo_epi64(t2, t3);
}

// Tap dx (0 … 3) of a LoadTapRow vector as single-precision values.
template <int32_t dx>
__attribute__((target("avx2"), always_inline)) inline __m256 TapValues(__m256i quads) {
    const __m256i mask = _mm256_set1_epi32(0xff);
    if constexpr (dx == 0) {
        return _mm256_cvtepi32_ps(_mm256_and_si256(quads, mask));
    } else if constexpr (dx == 3) {
        return _mm256_cvtepi32_ps(_mm256_srli_epi32(quads, 24));
    } else {
        return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(quads, 8 * dx), mask));
    }
}

// Adds tap dx of one source row to the three channel sums with weight w.
template <int32_t dx>
__attribute__((target("avx2"), always_inline)) inline void AddTap(const __m256i taps[3], __m256 w,
                                                                  __m256 sums[3]) {
    for (int32_t ch = 0; ch < 3; ++ch) {
        sums[ch] = _mm256_add_ps(sums[ch], _mm256_mul_ps(TapValues<dx>(taps[ch]), w));
    }
}

// Eight 3-channel pixels per step, every channel summed in its own lane in SampleCubic's order.
// Groups whose 16-byte loads could pass the end of the plane are done one pixel at a time.
__attribute__((target("avx2"))) void CubicRowAvx2(BytePlane src, const double* xs, const double* ys,
                                                  const uint8_t* skip, int32_t count,
                                                  uint8_t* dst) {
    const int32_t stride = src.cols * 3;
    const __m256i rowStride = _mm256_set1_epi32(stride);
    const auto loadLimit = static_cast<int64_t>(src.SampleCount()) - 16 - 3 * stride;
    int32_t j = 0;
    for (; j + 8 <= count; j += 8) {
        __m256i x0;
        __m256i y0;
        __m256 fx;
        __m256 fy;
        SplitPositions8(xs + j, x0, fx);
        SplitPositions8(ys + j, y0, fy);
        // Offset of tap (−1, −1): (y0 − 1) × stride + (x0 − 1) × 3.
        const __m256i offset = _mm256_add_epi32(
            _mm256_mullo_epi32(_mm256_sub_epi32(y0, _mm256_set1_epi32(1)), rowStride),
            _mm256_mullo_epi32(_mm256_sub_epi32(x0, _mm256_set1_epi32(1)), _mm256_set1_epi32(3)));
        alignas(32) int32_t offsets[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(offsets), offset);
        if (*std::max_element(offsets, offsets + 8) > loadLimit) {
            CubicRowScalar(src, xs, ys, skip, j, j + 8, dst);
            continue;
        }
        __m256 wx[4];
        __m256 wy[4];
        CubicWeights8(fx, wx);
        CubicWeights8(fy, wy);
        // The 16 tap weights wx · wy, kept in memory so that the sums stay in registers.
        alignas(32) float weights[16][8];
        for (int32_t dy = 0; dy < 4; ++dy) {
            for (int32_t dx = 0; dx < 4; ++dx) {
                _mm256_store_ps(weights[dy * 4 + dx], _mm256_mul_ps(wx[dx], wy[dy]));
            }
        }
        __m256 sums[3] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
        for (int32_t dy = 0; dy < 4; ++dy) {
            __m256i taps[3];
            LoadTapRow(src.data + static_cast<ptrdiff_t>(dy) * stride, offsets, taps[0], taps[1],
                       taps[2]);
            AddTap<0>(taps, _mm256_load_ps(weights[dy * 4]), sums);
            AddTap<1>(taps, _mm256_load_ps(weights[dy * 4 + 1]), sums);
            AddTap<2>(taps, _mm256_load_ps(weights[dy * 4 + 2]), sums);
            AddTap<3>(taps, _mm256_load_ps(weights[dy * 4 + 3]), sums);
        }
        const __m256i packed = _mm256_or_si256(
            RoundToBytes8(sums[0]), _mm256_or_si256(_mm256_slli_epi32(RoundToBytes8(sums[1]), 8),
                                                    _mm256_slli_epi32(RoundToBytes8(sums[2]), 16)));
        alignas(32) uint32_t pixels[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(pixels), packed);
        uint8_t* out = dst + static_cast<size_t>(j) * 3;
        uint64_t skipped = 0;
        if (skip != nullptr) {
            std::memcpy(&skipped, skip + j, 8);
        }
        if (skipped == 0) {
            // Overlapping 4-byte stores inside the group's 24 bytes: each one's fourth byte is
            // rewritten by the next pixel.
            for (int32_t k = 0; k < 7; ++k) {
                std::memcpy(out + k * 3, &pixels[k], 4);
            }
            std::memcpy(out + 21, &pixels[7], 3);
        } else {
            for (int32_t k = 0; k < 8; ++k) {
                if (skip[j + k] == 0) {
                    std::memcpy(out + k * 3, &pixels[k], 3);
                }
            }
        }
    }
    CubicRowScalar(src, xs, ys, skip, j, count, dst);
}

#endif

}  // namespace

void CubicRow(BytePlane src, const double* xs, const double* ys, const uint8_t* skip, int32_t count,
              uint8_t* dst) {
#ifdef LUMIVEX_X86_KERNELS
    // The gathers address the plane with 32-bit offsets.
    constexpr size_t kGatherLimit = std::numeric_limits<int32_t>::max() - 64;
    if (src.channels == 3 && src.SampleCount() < kGatherLimit && CpuHasAvx2()) {
        CubicRowAvx2(src, xs, ys, skip, count, dst);
        return;
    }
#endif
    CubicRowScalar(src, xs, ys, skip, 0, count, dst);
}

}  // namespace lumivex::engine
