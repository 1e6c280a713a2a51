// Conjugate gradients on the reweighted least-squares problem
//   Σ_k ‖W_k^½ (A_k x − y_k)‖² / 2 + lambda × (the prior's quadratic majorizer at priorAt),
// warm-started from x: one round of the robust solve.
#pragma once

#include <cstdint>

#include "reconstruct/data_term.h"
#include "reconstruct/prior.h"

namespace lumivex::recon {

// The solver's three scratch planes, each of the output's size.
struct SolverPlanes {
    SolverPlanes(int32_t rows, int32_t cols) : r(rows, cols), d(rows, cols), q(rows, cols) {}
    FloatPlane r, d, q;
};

// steps conjugate-gradient steps from x (one gradient and steps operator applications, each one
// pass over the frames). False on cancel (x then holds the last completed step).
bool SolveRound(DataTerm& data, const BilateralPrior& prior, Channel channel,
                const FloatPlane& priorAt, double lambda, int32_t steps, FloatPlane& x,
                SolverPlanes& planes, const FrameTick& tick);

}  // namespace lumivex::recon
