#include "reconstruct/prior.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/cpu_features.h"
#include "engine/parallel.h"

namespace lumivex::recon {

BilateralPrior::BilateralPrior(int32_t radius, double decay, double epsilon)
    : epsilonSquared_(static_cast<float>(epsilon * epsilon)), radius_(radius) {
    for (int32_t dy = 0; dy <= radius; ++dy) {
        for (int32_t dx = -radius; dx <= radius; ++dx) {
            if (dy == 0 && dx <= 0) {
                continue;  // the other half of each ± pair, and the pixel itself
            }
            offsets_.push_back(
                {dx, dy, static_cast<float>(std::pow(decay, std::abs(dx) + std::abs(dy)))});
        }
    }
}

double BilateralPrior::WeightSum() const {
    double sum = 0.0;
    for (const Offset& o : offsets_) {
        sum += o.weight;
    }
    return sum;
}

namespace {

// Rows per range of the parallel loop at least: each range first computes the pair terms of
// the radius rows above it, which are then computed twice.
constexpr int32_t kMinRows = 16;

// The loops below are compiled for AVX2 as well as the baseline: they go element by element, so
// both give the same bytes.

// c[j] = a (d0[j] − d1[j + dx]) / √((x0[j] − x1[j + dx])² + ε²) for j in [begin, end): the pair
// term of (p, p + o), which p gains and p + o loses.
LUMIVEX_AVX2_CLONES void PairTerms(const float* x0, const float* x1, const float* d0,
                                   const float* d1, float a, float epsilonSquared, int32_t dx,
                                   int32_t begin, int32_t end, float* c) {
    for (int32_t j = begin; j < end; ++j) {
        const float t = x0[j] - x1[j + dx];
        c[j] = a * (d0[j] - d1[j + dx]) / std::sqrt(t * t + epsilonSquared);
    }
}

// result[j] += c[j] for j in [begin, end).
LUMIVEX_AVX2_CLONES void AddTerms(float* result, const float* c, int32_t begin, int32_t end) {
    for (int32_t j = begin; j < end; ++j) {
        result[j] += c[j];
    }
}

// result[j] −= c[j − dx] for j in [begin, end).
LUMIVEX_AVX2_CLONES void SubtractTerms(float* result, const float* c, int32_t dx, int32_t begin,
                                       int32_t end) {
    for (int32_t j = begin; j < end; ++j) {
        result[j] -= c[j - dx];
    }
}

}  // namespace

// Each pair (p, p + o) adds its term to p and subtracts it from p + o (the term of p + o's side
// is exactly the negated one), offset by offset. The terms of the last radius + 1 rows are kept
// in a ring, so each is computed once.
void BilateralPrior::ApplyRows(const FloatPlane& at, const FloatPlane& d, float lambda,
                               FloatPlane& out, int32_t begin, int32_t end) const {
    const int32_t cols = at.cols;
    const auto count = static_cast<int32_t>(offsets_.size());
    const int32_t ringRows = radius_ + 1;
    std::vector<float> ring(static_cast<size_t>(ringRows) * count * cols);
    // Columns j of a row whose partner j + dx lies inside the row.
    const auto columns = [cols](int32_t dx) {
        return std::pair{std::max(0, -dx), std::min(cols, cols - dx)};
    };
    const auto terms = [&](int32_t o, int32_t row) {
        return ring.data() + (static_cast<size_t>(row % ringRows) * count + o) * cols;
    };
    const auto computeRow = [&](int32_t row) {
        for (int32_t o = 0; o < count; ++o) {
            const Offset& off = offsets_[o];
            if (row + off.dy < at.rows) {
                const auto [first, last] = columns(off.dx);
                PairTerms(at.Row(row), at.Row(row + off.dy), d.Row(row), d.Row(row + off.dy),
                          lambda * off.weight, epsilonSquared_, off.dx, first, last, terms(o, row));
            }
        }
    };
    for (int32_t row = std::max(0, begin - radius_); row < begin; ++row) {
        computeRow(row);
    }
    for (int32_t row = begin; row < end; ++row) {
        computeRow(row);
        float* result = out.Row(row);
        for (int32_t o = 0; o < count; ++o) {
            const Offset& off = offsets_[o];
            if (row + off.dy < at.rows) {
                const auto [first, last] = columns(off.dx);
                AddTerms(result, terms(o, row), first, last);
            }
            if (row - off.dy >= 0) {
                const auto [first, last] = columns(-off.dx);
                SubtractTerms(result, terms(o, row - off.dy), off.dx, first, last);
            }
        }
    }
}

void BilateralPrior::Apply(const FloatPlane& at, const FloatPlane& d, double lambda,
                           FloatPlane& out) const {
    const auto l = static_cast<float>(lambda);
    engine::ParallelFor(at.rows, kMinRows,
                        [&](int32_t begin, int32_t end) { ApplyRows(at, d, l, out, begin, end); });
}

}  // namespace lumivex::recon
