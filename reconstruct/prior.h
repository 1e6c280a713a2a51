// The bilateral total variation prior: Σ over offsets o within the radius (one of each ± pair)
// of decay^(|ox| + |oy|) × Σ over pixels of φ(x(p) − x(p + o)), φ(t) = √(t² + ε²) − ε (the
// Charbonnier penalty, an edge-preserving L1 with a round bottom).
#pragma once

#include <cstdint>
#include <vector>

#include "reconstruct/float_plane.h"

namespace lumivex::recon {

class BilateralPrior {
public:
    BilateralPrior(int32_t radius, double decay, double epsilon);

    // out += lambda × Hessian of the prior's quadratic majorizer at `at`, applied to d. With
    // d = at this is lambda × the prior's gradient at `at`.
    void Apply(const FloatPlane& at, const FloatPlane& d, double lambda, FloatPlane& out) const;

    // Σ of the offsets' weights: the majorizer's curvature per pixel on flat ground is twice
    // this over ε.
    double WeightSum() const;

private:
    struct Offset {
        int32_t dx, dy;
        float weight;
    };
    void ApplyRows(const FloatPlane& at, const FloatPlane& d, float lambda, FloatPlane& out,
                   int32_t begin, int32_t end) const;

    std::vector<Offset> offsets_;
    float epsilonSquared_;
    int32_t radius_;
};

}  // namespace lumivex::recon
