#include "reconstruct/prior.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/cpu_features.h"

namespace lumivex::recon {

BilateralPrior::BilateralPrior(int32_t radius, double decay, double epsilon)
    : epsilonSquared_(static_cast<float>(epsilon * epsilon)) {
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

// Compiled for AVX2 as well as the baseline: the loops are element by element, so both give the
// same bytes.
LUMIVEX_AVX2_CLONES void BilateralPrior::ApplyRow(const FloatPlane& at, const FloatPlane& d,
                                                  float lambda, FloatPlane& out,
                                                  int32_t row) const {
    const int32_t cols = at.cols;
    float* result = out.Row(row);
    for (const Offset& o : offsets_) {
        const float a = lambda * o.weight;
        // The pair (p, p + o): p's side.
        if (row + o.dy < at.rows) {
            const float* x0 = at.Row(row);
            const float* x1 = at.Row(row + o.dy);
            const float* d0 = d.Row(row);
            const float* d1 = d.Row(row + o.dy);
            const int32_t begin = std::max(0, -o.dx);
            const int32_t end = std::min(cols, cols - o.dx);
            for (int32_t j = begin; j < end; ++j) {
                const float t = x0[j] - x1[j + o.dx];
                result[j] += a * (d0[j] - d1[j + o.dx]) / std::sqrt(t * t + epsilonSquared_);
            }
        }
        // The pair (p − o, p): p's side.
        if (row - o.dy >= 0) {
            const float* x0 = at.Row(row);
            const float* x1 = at.Row(row - o.dy);
            const float* d0 = d.Row(row);
            const float* d1 = d.Row(row - o.dy);
            const int32_t begin = std::max(0, o.dx);
            const int32_t end = std::min(cols, cols + o.dx);
            for (int32_t j = begin; j < end; ++j) {
                const float t = x1[j - o.dx] - x0[j];
                result[j] += a * (d0[j] - d1[j - o.dx]) / std::sqrt(t * t + epsilonSquared_);
            }
        }
    }
}

void BilateralPrior::Apply(const FloatPlane& at, const FloatPlane& d, double lambda,
                           FloatPlane& out) const {
    const auto l = static_cast<float>(lambda);
    ForEachIndex(at.rows, [&](int32_t row) { ApplyRow(at, d, l, out, row); });
}

}  // namespace lumivex::recon
