// Registration of a frame to the reference: a whole-frame shift by coarse-to-fine block matching
// refined to a fraction of a pixel, then an affine transform fitted to tracked feature points and
// refined while the alignment error keeps falling. Colour differences weigh blue 1, green 3,
// red 2.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/features.h"
#include "engine/plane.h"
#include "engine/resample.h"

namespace lumivex::engine {

// The current integer shift (columns, rows) and the window costs of the 25 shifts around it:
// cost[r][c] belongs to shift (sx − 2 + c, sy − 2 + r). 0 marks an entry not computed yet.
struct MatchState {
    int32_t sx = 0;
    int32_t sy = 0;
    uint32_t cost[5][5] = {};
};

// Rows row0 … row1 and columns col0 … col1 of the reference level, both inclusive.
struct SearchWindow {
    int32_t row0 = 0;
    int32_t row1 = 0;
    int32_t col0 = 0;
    int32_t col1 = 0;
};

struct SubPixel {
    double x = 0.0;
    double y = 0.0;
};

// 1 + the weighted squared colour difference between the reference window and the frame window
// displaced by (dx, dy). Summed in 64 bits; a cost above UINT32_MAX is stored as UINT32_MAX so
// that it can never wrap into a small one.
uint32_t WindowCost(BytePlane ref, BytePlane frame, const SearchWindow& window, int32_t dx,
                    int32_t dy);
// Iterated 5 × 5 search over the central third of the level, from state's shift.
// 0: converged; −1: the window left the frame (state holds the best shift found so far).
int32_t ShiftSearch(BytePlane ref, BytePlane frame, MatchState& state);
// The same search over a small window around the point (x, y) of the level.
// 1: converged; −1: the window left the frame.
int32_t PointSearch(BytePlane ref, BytePlane frame, MatchState& state, int32_t x, int32_t y);
// B-spline interpolation of the cost table at the fractional offset (fx, fy), each in (−1, 1);
// at least 1.
int64_t CostSurface(double fx, double fy, const MatchState& state);
// The sub-pixel minimum of the cost surface by nine rounds of halving steps: (sx + bx, sy + by).
// Only a surface value below INT32_MAX moves the result away from (sx, sy).
SubPixel SubPixelShift(const MatchState& state);
// The whole-frame shift of frame against the smoothed reference pyramid; only p2, p5 set.
AffineTransform EstimateShift(BytePlane ref, BytePlane frame, BytePlane half, BytePlane quarter,
                              BytePlane eighth);
// Mean squared colour difference per pixel, 20-pixel margins excluded. Rows stop being added
// once the sum exceeds 1 234 567 890. Both planes must be more than 40 pixels each way.
double FrameError(BytePlane a, BytePlane b);
// Tracks every point in aligned (the frame already warped by t) and stores its displacement in
// the unwarped frame in dx, dy.
void MatchFeatures(std::vector<FeaturePoint>& points, const AffineTransform& t, BytePlane ref,
                   BytePlane aligned, BytePlane half, BytePlane quarter);
// One point of MatchFeatures: a2 and a4 are aligned halved once and twice.
void TrackPoint(FeaturePoint& p, const AffineTransform& t, BytePlane ref, BytePlane aligned,
                BytePlane a2, BytePlane a4, BytePlane half, BytePlane quarter);
// Least-squares fit of dx = p0·x + p1·y + p2, dy = p3·x + p4·y + p5 over n points.
// 0: fitted; −1: refused (fewer than three or collinear points), t unchanged.
int32_t FitAffine(AffineTransform& t, const FeaturePoint* points, int32_t n);
// Refits t to the points whose squared residual is below 128, 64, 32, … 1 in turn.
void RobustFit(AffineTransform& t, const FeaturePoint* points, int32_t n);
// What RefineAffine does after its round-th round took the alignment error from err to newErr:
// another round while each gains at least 1, six rounds at most; otherwise stop, going back to
// the round's starting transform when the error grew.
enum class RefineStep { kAgain, kKeep, kRestore };
RefineStep NextRefineStep(float err, float newErr, int32_t round);
// Improves t by repeated tracking and fitting while FrameError(ref, aligned) keeps falling by
// at least 1; aligned ends as frame warped by the last transform tried.
void RefineAffine(AffineTransform& t, std::vector<FeaturePoint>& points, BytePlane aligned,
                  BytePlane frame, BytePlane ref, BytePlane half, BytePlane quarter);

}  // namespace lumivex::engine
