// Row-at-a-time versions of DetailMap and FuseFrame. The detail totals are integers, so they can
// be summed in any order; the real-valued steps repeat FuseFrame's expressions exactly.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/cpu_features.h"
#include "engine/fusion.h"
#include "engine/parallel.h"

#ifdef LUMIVEX_X86_KERNELS
#include <immintrin.h>
#endif

namespace lumivex::engine {

namespace {

double DetailValue(int32_t sum) {
    return sum * (1.0 / 54.0) + 2.8;
}

// 1·|ΔB| + 3·|ΔG| + 2·|ΔR| of every pixel of one row.
LUMIVEX_AVX2_CLONES void WeightedDifferenceRow(const uint8_t* a, const uint8_t* b, int32_t cols,
                                               int32_t* out) {
    for (int32_t c = 0; c < cols; ++c) {
        const int32_t i = 3 * c;
        out[c] = std::abs(a[i] - b[i]) + 3 * std::abs(a[i + 1] - b[i + 1]) +
                 2 * std::abs(a[i + 2] - b[i + 2]);
    }
}

// The last three weighted-difference rows asked for, each made once; rows outside the band
// being worked on come from `saved`, made before any band started changing its rows.
class DifferenceRows {
public:
    DifferenceRows(BytePlane a, BytePlane b, int32_t first, int32_t end)
        : a_(a), b_(b), first_(first), end_(end) {
        for (auto& row : rows_) {
            row.assign(static_cast<size_t>(a.cols), 0);
        }
        keys_.fill(-1);
    }
    // A row outside [first, end), computed beforehand.
    void Save(int32_t y, const std::vector<int32_t>* row) { (y < first_ ? above_ : below_) = row; }
    const int32_t* Get(int32_t y) {
        if (y < first_ && above_ != nullptr) {
            return above_->data();
        }
        if (y >= end_ && below_ != nullptr) {
            return below_->data();
        }
        const size_t slot = Slot(y);
        if (keys_[slot] != y) {
            WeightedDifferenceRow(a_.Row(y), b_.Row(y), a_.cols, rows_[slot].data());
            keys_[slot] = y;
        }
        return rows_[slot].data();
    }

private:
    static size_t Slot(int32_t y) { return static_cast<size_t>(y % 3); }
    BytePlane a_;
    BytePlane b_;
    int32_t first_;
    int32_t end_;
    std::array<std::vector<int32_t>, 3> rows_;
    std::array<int32_t, 3> keys_{};
    const std::vector<int32_t>* above_ = nullptr;
    const std::vector<int32_t>* below_ = nullptr;
};

// out[c] = the 3 × 3 total around column c (1 ≤ c ≤ cols − 2) of three rows of differences.
LUMIVEX_AVX2_CLONES void BoxSums(const int32_t* up, const int32_t* mid, const int32_t* down,
                                 int32_t cols, int32_t* column, int32_t* out) {
    for (int32_t c = 0; c < cols; ++c) {
        column[c] = up[c] + mid[c] + down[c];
    }
    for (int32_t c = 1; c + 1 < cols; ++c) {
        out[c] = column[c - 1] + column[c] + column[c + 1];
    }
}

// The 3 × 3 totals of output row r (border rows and columns take their inner neighbours').
void DetailSumRow(DifferenceRows& rows, int32_t r, int32_t planeRows, int32_t cols,
                  std::vector<int32_t>& column, int32_t* out) {
    const int32_t inner = std::clamp(r, 1, planeRows - 2);
    const int32_t* up = rows.Get(inner - 1);
    const int32_t* mid = rows.Get(inner);
    const int32_t* down = rows.Get(inner + 1);
    BoxSums(up, mid, down, cols, column.data(), out);
    out[0] = out[1];
    out[cols - 1] = out[cols - 2];
}

// Splits rows into bands of at least three, so that a band's rows need at most one row of each
// neighbouring band.
int32_t BandCount(int32_t rows) {
    return std::max(1, std::min(EngineThreadCount() * 4, rows / 3));
}
int32_t BandStart(int32_t rows, int32_t bands, int32_t k) {
    return static_cast<int32_t>(static_cast<int64_t>(rows) * k / bands);
}

// Per-row scratch of FuseRow: each sample's blend weight and whether it is left alone.
struct BlendRow {
    explicit BlendRow(int32_t cols)
        : x(static_cast<size_t>(cols)),
          sampleX(static_cast<size_t>(cols) * 3),
          sampleKept(static_cast<size_t>(cols) * 3) {}
    std::vector<double> x;
    std::vector<double> sampleX;
    std::vector<uint8_t> sampleKept;
};

// Each pixel's blend weight x; pixels outside get 2, which like any x ≥ 1 leaves them alone.
LUMIVEX_AVX2_CLONES void BlendWeights(const uint16_t* detailSums, const int32_t* localSums,
                                      const uint8_t* outside, int32_t cols, double* x) {
    for (int32_t c = 0; c < cols; ++c) {
        const double weight = DetailValue(localSums[c]) / (DetailValue(detailSums[c]) * 4.8);
        x[c] = outside[c] != 0 ? 2.0 : weight;
    }
}

// e = ((1 − x)·w + (n + x)·e) / (n + 1) for every sample not kept. The value is worked out for
// kept samples too and thrown away, so that the loop has no branch; it always fits 32 bits
// (x ≤ 20), and for blended samples it lies in 0 … 255.
LUMIVEX_AVX2_CLONES void BlendSamples(uint8_t* e, const uint8_t* w, const double* x,
                                      const uint8_t* kept, int32_t count, double n) {
    for (int32_t i = 0; i < count; ++i) {
        const double v = ((1.0 - x[i]) * w[i] + (n + x[i]) * e[i]) / (n + 1.0);
        const auto blended = static_cast<uint8_t>(static_cast<int32_t>(v));
        const auto keep = static_cast<uint8_t>(-kept[i]);  // 0xff or 0
        e[i] = static_cast<uint8_t>((e[i] & keep) | (blended & ~keep));
    }
}

// Each pixel's weight, and whether it is left alone (x not below 1), for its three samples.
void SpreadToSamplesScalar(const double* x, int32_t from, int32_t cols, double* sampleX,
                           uint8_t* sampleKept) {
    for (int32_t c = from; c < cols; ++c) {
        const uint8_t kept = !(x[c] < 1.0) ? 1 : 0;
        for (int32_t ch = 0; ch < 3; ++ch) {
            sampleX[3 * c + ch] = x[c];
            sampleKept[3 * c + ch] = kept;
        }
    }
}

#ifdef LUMIVEX_X86_KERNELS

// Four pixels at a time: the weights by three permutations, the flags from a table of the
// sixteen 12-byte patterns.
__attribute__((target("avx2"))) void SpreadToSamplesAvx2(const double* x, int32_t cols,
                                                         double* sampleX, uint8_t* sampleKept) {
    static const auto patterns = [] {
        std::array<std::array<uint8_t, 12>, 16> table{};
        for (int32_t bits = 0; bits < 16; ++bits) {
            for (int32_t k = 0; k < 12; ++k) {
                table[bits][k] = static_cast<uint8_t>((bits >> (k / 3)) & 1);
            }
        }
        return table;
    }();
    int32_t c = 0;
    for (; c + 4 <= cols; c += 4) {
        const __m256d v = _mm256_loadu_pd(x + c);
        double* out = sampleX + 3 * c;
        _mm256_storeu_pd(out, _mm256_permute4x64_pd(v, _MM_SHUFFLE(1, 0, 0, 0)));
        _mm256_storeu_pd(out + 4, _mm256_permute4x64_pd(v, _MM_SHUFFLE(2, 2, 1, 1)));
        _mm256_storeu_pd(out + 8, _mm256_permute4x64_pd(v, _MM_SHUFFLE(3, 3, 3, 2)));
        const int bits = _mm256_movemask_pd(_mm256_cmp_pd(v, _mm256_set1_pd(1.0), _CMP_NLT_UQ));
        std::memcpy(sampleKept + 3 * c, patterns[bits].data(), 12);
    }
    SpreadToSamplesScalar(x, c, cols, sampleX, sampleKept);
}

void SpreadToSamples(const double* x, int32_t cols, double* sampleX, uint8_t* sampleKept) {
    if (CpuHasAvx2()) {
        SpreadToSamplesAvx2(x, cols, sampleX, sampleKept);
    } else {
        SpreadToSamplesScalar(x, 0, cols, sampleX, sampleKept);
    }
}

#else

void SpreadToSamples(const double* x, int32_t cols, double* sampleX, uint8_t* sampleKept) {
    SpreadToSamplesScalar(x, 0, cols, sampleX, sampleKept);
}

#endif

void FuseRow(uint8_t* e, const uint8_t* w, const uint8_t* outside, const uint16_t* detailSums,
             const int32_t* localSums, int32_t cols, double n, BlendRow& blend) {
    BlendWeights(detailSums, localSums, outside, cols, blend.x.data());
    SpreadToSamples(blend.x.data(), cols, blend.sampleX.data(), blend.sampleKept.data());
    BlendSamples(e, w, blend.sampleX.data(), blend.sampleKept.data(), cols * 3, n);
}

}  // namespace

void DetailSums(DetailSumPlane out, BytePlane a, BytePlane b) {
    ParallelFor(a.rows, 8, [&](int32_t begin, int32_t end) {
        DifferenceRows rows(a, b, 0, a.rows);
        std::vector<int32_t> column(static_cast<size_t>(a.cols));
        std::vector<int32_t> sums(static_cast<size_t>(a.cols));
        for (int32_t r = begin; r < end; ++r) {
            DetailSumRow(rows, r, a.rows, a.cols, column, sums.data());
            std::copy(sums.begin(), sums.end(), out.Row(r));
        }
    });
}

void FuseFrameRows(BytePlane estimate, BytePlane warped, const uint8_t* outside, int32_t accepted,
                   DetailSumPlane detailSums) {
    const int32_t rows = estimate.rows;
    const int32_t cols = estimate.cols;
    const int32_t bands = BandCount(rows);
    // The row above and the row below each band belong to its neighbours, which change them:
    // their differences are taken first, before any band starts.
    std::vector<std::vector<int32_t>> above(static_cast<size_t>(bands));
    std::vector<std::vector<int32_t>> below(static_cast<size_t>(bands));
    ParallelFor(bands, 1, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            const int32_t first = BandStart(rows, bands, k);
            const int32_t last = BandStart(rows, bands, k + 1);
            if (first > 0) {
                above[k].resize(static_cast<size_t>(cols));
                WeightedDifferenceRow(estimate.Row(first - 1), warped.Row(first - 1), cols,
                                      above[k].data());
            }
            if (last < rows) {
                below[k].resize(static_cast<size_t>(cols));
                WeightedDifferenceRow(estimate.Row(last), warped.Row(last), cols, below[k].data());
            }
        }
    });
    const double n = accepted;
    ParallelFor(bands, 1, [&](int32_t begin, int32_t end) {
        std::vector<int32_t> column(static_cast<size_t>(cols));
        std::vector<int32_t> sums(static_cast<size_t>(cols));
        BlendRow blend(cols);
        for (int32_t k = begin; k < end; ++k) {
            const int32_t first = BandStart(rows, bands, k);
            const int32_t last = BandStart(rows, bands, k + 1);
            DifferenceRows diff(estimate, warped, first, last);
            if (first > 0) {
                diff.Save(first - 1, &above[k]);
            }
            if (last < rows) {
                diff.Save(last, &below[k]);
            }
            for (int32_t r = first; r < last; ++r) {
                DetailSumRow(diff, r, rows, cols, column, sums.data());
                const size_t offset = static_cast<size_t>(r) * cols;
                FuseRow(estimate.Row(r), warped.Row(r), outside + offset, detailSums.Row(r),
                        sums.data(), cols, n, blend);
            }
        }
    });
}

}  // namespace lumivex::engine
