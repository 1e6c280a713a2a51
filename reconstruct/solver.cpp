#include "reconstruct/solver.h"

namespace lumivex::recon {

bool SolveRound(DataTerm& data, const BilateralPrior& prior, Channel channel,
                const FloatPlane& priorAt, double lambda, int32_t steps, FloatPlane& x,
                SolverPlanes& planes, const FrameTick& tick) {
    FloatPlane& r = planes.r;
    FloatPlane& d = planes.d;
    FloatPlane& q = planes.q;
    // r = −gradient at x.
    if (!data.Apply(x, channel, true, r, tick)) {
        return false;
    }
    prior.Apply(priorAt, x, lambda, r);
    Scale(r, -1.0);
    CopyPlane(d, r);
    double rr = Dot(r, r);
    for (int32_t step = 0; step < steps && rr > 0.0; ++step) {
        if (!data.Apply(d, channel, false, q, tick)) {
            return false;
        }
        prior.Apply(priorAt, d, lambda, q);
        const double dq = Dot(d, q);
        if (dq <= 0.0) {
            break;
        }
        const double alpha = rr / dq;
        const double next = StepAndResidualNorm(x, r, alpha, d, q);
        ScaleAndAdd(d, next / rr, r);
        rr = next;
    }
    return true;
}

}  // namespace lumivex::recon
