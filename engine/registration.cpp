#include "engine/registration.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "engine/cpu_features.h"
#include "engine/parallel.h"

namespace lumivex::engine {

namespace {

constexpr int32_t kSearchHalf = 2;  // the table spans shifts −2 … 2 around its centre
constexpr uint32_t kErrorSumCap = 1234567890;

// Wide enough for the singularity test of FitAffine at any frame size.
using Wide = __int128;

SearchWindow CentralWindow(BytePlane level) {
    const int32_t dr = level.rows / 6 + 8;
    const int32_t dc = level.cols / 6 + 8;
    return {level.rows / 2 - dr, level.rows / 2 + dr, level.cols / 2 - dc, level.cols / 2 + dc};
}

SearchWindow PointWindow(BytePlane level, int32_t x, int32_t y) {
    const int32_t dr = level.rows / 80 + 8;
    const int32_t dc = level.cols / 80 + 8;
    return {y - dr, y + dr, x - dc, x + dc};
}

// Whether the window, displaced by every shift of the table, stays inside the frame level.
// The window itself must lie inside the reference level as well: the coarse-to-fine shifts of
// a very small level could otherwise carry it across the reference's edge.
bool WindowFits(BytePlane level, const SearchWindow& w, const MatchState& state) {
    if (w.row0 < 0 || w.col0 < 0 || w.row1 >= level.rows || w.col1 >= level.cols) {
        return false;
    }
    return w.row0 + state.sy - kSearchHalf >= 0 && w.row1 + state.sy + kSearchHalf < level.rows &&
           w.col0 + state.sx - kSearchHalf >= 0 && w.col1 + state.sx + kSearchHalf < level.cols;
}

// Moves the table so that (bestX, bestY) becomes its centre, keeping the costs that overlap.
void RecentreTable(MatchState& state, int32_t bestX, int32_t bestY) {
    const int32_t my = bestY - state.sy;
    const int32_t mx = bestX - state.sx;
    uint32_t moved[5][5] = {};
    for (int32_t r = 0; r < 5; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            const int32_t orow = r + my;
            const int32_t ocol = c + mx;
            if (orow >= 0 && orow < 5 && ocol >= 0 && ocol < 5) {
                moved[r][c] = state.cost[orow][ocol];
            }
        }
    }
    std::memcpy(state.cost, moved, sizeof(moved));
    state.sx = bestX;
    state.sy = bestY;
}

constexpr int64_t kMinParallelPixels = 65536;

// Computes every table entry still 0. The costs are independent of each other (and at least 1),
// so they are worked out in parallel before the table is scanned in its fixed order.
void FillMissingCosts(BytePlane ref, BytePlane frame, MatchState& state, const SearchWindow& w) {
    int32_t missing[25];
    int32_t count = 0;
    for (int32_t e = 0; e < 25; ++e) {
        if (state.cost[e / 5][e % 5] == 0) {
            missing[count++] = e;
        }
    }
    // Small windows (the coarse levels, the point searches) are not worth handing out.
    const int64_t area = static_cast<int64_t>(w.row1 - w.row0 + 1) * (w.col1 - w.col0 + 1);
    const int32_t perRange = area * count < kMinParallelPixels ? std::max(count, 1) : 1;
    ParallelFor(count, perRange, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            const int32_t r = missing[k] / 5;
            const int32_t c = missing[k] % 5;
            state.cost[r][c] =
                WindowCost(ref, frame, w, state.sx - kSearchHalf + c, state.sy - kSearchHalf + r);
        }
    });
}

// Weighted squared colour differences of count pixels. Partial sums stay in 32 bits for at most
// kRunPixels pixels (each term is below 6 × 255²), so the loop can use vector instructions.
constexpr int32_t kRunPixels = 8192;
LUMIVEX_AVX2_CLONES uint32_t ColourCostRun(const uint8_t* a, const uint8_t* b, int32_t count) {
    uint32_t sum = 0;
    for (int32_t i = 0; i < count * 3; i += 3) {
        const int32_t db = a[i] - b[i];
        const int32_t dg = a[i + 1] - b[i + 1];
        const int32_t dr = a[i + 2] - b[i + 2];
        sum += static_cast<uint32_t>(3 * dg * dg + db * db + 2 * dr * dr);
    }
    return sum;
}

// Squared differences of count samples, with 32-bit partial sums over at most kRunSamples.
constexpr int32_t kRunSamples = 65536;
LUMIVEX_AVX2_CLONES uint32_t SquaredDifferenceRun(const uint8_t* a, const uint8_t* b,
                                                  int32_t count) {
    uint32_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t d = a[i] - b[i];
        sum += static_cast<uint32_t>(d * d);
    }
    return sum;
}

// The iterated 5 × 5 search shared by ShiftSearch and PointSearch. True when converged.
bool IteratedSearch(BytePlane ref, BytePlane frame, MatchState& state, const SearchWindow& w) {
    std::memset(state.cost, 0, sizeof(state.cost));
    uint32_t best = std::numeric_limits<uint32_t>::max();
    int32_t bestX = state.sx;
    int32_t bestY = state.sy;
    while (WindowFits(ref, w, state)) {
        FillMissingCosts(ref, frame, state, w);
        for (int32_t r = 0; r < 5; ++r) {
            for (int32_t c = 0; c < 5; ++c) {
                const int32_t dx = state.sx - kSearchHalf + c;
                const int32_t dy = state.sy - kSearchHalf + r;
                if (state.cost[r][c] < best) {
                    best = state.cost[r][c];
                    bestX = dx;
                    bestY = dy;
                }
            }
        }
        if (bestX == state.sx && bestY == state.sy) {
            return true;
        }
        RecentreTable(state, bestX, bestY);
    }
    return false;
}

}  // namespace

uint32_t WindowCost(BytePlane ref, BytePlane frame, const SearchWindow& window, int32_t dx,
                    int32_t dy) {
    uint64_t sum = 1;
    const int32_t width = window.col1 - window.col0 + 1;
    for (int32_t r = window.row0; r <= window.row1; ++r) {
        const uint8_t* a = &ref.At(r, window.col0);
        const uint8_t* b = &frame.At(r + dy, window.col0 + dx);
        for (int32_t i = 0; i < width; i += kRunPixels) {
            sum += ColourCostRun(a + 3 * i, b + 3 * i, std::min(kRunPixels, width - i));
        }
    }
    constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(sum < kMax ? sum : kMax);
}

int32_t ShiftSearch(BytePlane ref, BytePlane frame, MatchState& state) {
    return IteratedSearch(ref, frame, state, CentralWindow(ref)) ? 0 : -1;
}

int32_t PointSearch(BytePlane ref, BytePlane frame, MatchState& state, int32_t x, int32_t y) {
    return IteratedSearch(ref, frame, state, PointWindow(ref, x, y)) ? 1 : -1;
}

int64_t CostSurface(double fx, double fy, const MatchState& state) {
    const int32_t cx = fx < 0 ? 1 : 2;
    const auto tx = static_cast<float>(fx < 0 ? fx + 1 : fx);
    const int32_t cy = fy < 0 ? 1 : 2;
    const auto ty = static_cast<float>(fy < 0 ? fy + 1 : fy);
    int64_t sum = 0;
    for (int32_t i = -1; i <= 2; ++i) {
        for (int32_t j = -1; j <= 2; ++j) {
            const float term = BSplineWeight(j, tx) *
                               static_cast<float>(state.cost[cy + i][cx + j]) *
                               BSplineWeight(i, ty);
            sum += static_cast<int64_t>(term);
        }
    }
    return sum < 1 ? 1 : sum;
}

SubPixel SubPixelShift(const MatchState& state) {
    // The search starts at the largest 32-bit signed cost and compares in 64 bits: where the
    // surface is that high everywhere (saturated window costs), the integer shift stands.
    int64_t bestCost = std::numeric_limits<int32_t>::max();
    double bx = 0.0;
    double by = 0.0;
    for (double step = 0.5; step > 0.001; step /= 2) {
        double nextX = bx;
        double nextY = by;
        for (int32_t a = -1; a <= 1; ++a) {
            for (int32_t b = -1; b <= 1; ++b) {
                const double cx = bx + a * step;
                const double cy = by + b * step;
                const int64_t c = std::llabs(CostSurface(cx, cy, state));
                if (c < bestCost) {
                    bestCost = c;
                    nextX = cx;
                    nextY = cy;
                }
            }
        }
        bx = nextX;
        by = nextY;
    }
    return {state.sx + bx, state.sy + by};
}

AffineTransform EstimateShift(BytePlane ref, BytePlane frame, BytePlane half, BytePlane quarter,
                              BytePlane eighth) {
    PlaneBuffer<uint8_t> f0(frame.rows, frame.cols, 3);
    std::memcpy(f0.view().data, frame.data, frame.SampleCount());
    Smooth2x2(f0);
    const PlaneBuffer<uint8_t> f1 = HalvePlane(f0);
    const PlaneBuffer<uint8_t> f2 = HalvePlane(f1);
    const PlaneBuffer<uint8_t> f3 = HalvePlane(f2);

    MatchState state;
    const BytePlane refLevels[] = {eighth, quarter, half, ref};
    const BytePlane frameLevels[] = {f3, f2, f1, f0};
    for (int32_t level = 0; level < 4; ++level) {
        if (level > 0) {
            state.sx *= 2;
            state.sy *= 2;
        }
        ShiftSearch(refLevels[level], frameLevels[level], state);
    }
    const SubPixel shift = SubPixelShift(state);
    return {0.0, 0.0, shift.x, 0.0, 0.0, shift.y};
}

double FrameError(BytePlane a, BytePlane b) {
    uint64_t sum = 0;
    const int32_t width = a.cols - 40;
    for (int32_t r = 20; r <= a.rows - 21 && sum <= kErrorSumCap; ++r) {
        const uint8_t* pa = &a.At(r, 20);
        const uint8_t* pb = &b.At(r, 20);
        for (int32_t i = 0; i < width * 3; i += kRunSamples) {
            sum += SquaredDifferenceRun(pa + i, pb + i, std::min(kRunSamples, width * 3 - i));
        }
    }
    return static_cast<double>(sum) /
           (static_cast<double>(a.rows - 40) * static_cast<double>(a.cols - 40));
}

void MatchFeatures(std::vector<FeaturePoint>& points, const AffineTransform& t, BytePlane ref,
                   BytePlane aligned, BytePlane half, BytePlane quarter) {
    const PlaneBuffer<uint8_t> a2 = HalvePlane(aligned);
    const PlaneBuffer<uint8_t> a4 = HalvePlane(a2);
    // The points are tracked independently of each other, in parallel.
    ParallelFor(static_cast<int32_t>(points.size()), 1, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            TrackPoint(points[k], t, ref, aligned, a2, a4, half, quarter);
        }
    });
}

void TrackPoint(FeaturePoint& p, const AffineTransform& t, BytePlane ref, BytePlane aligned,
                BytePlane a2, BytePlane a4, BytePlane half, BytePlane quarter) {
    MatchState state;
    PointSearch(quarter, a4, state, p.x / 4, p.y / 4);
    state.sx *= 2;
    state.sy *= 2;
    PointSearch(half, a2, state, p.x / 2, p.y / 2);
    state.sx *= 2;
    state.sy *= 2;
    PointSearch(ref, aligned, state, p.x, p.y);
    const SubPixel local = SubPixelShift(state);
    p.dx = local.x + t[0] * p.x + t[1] * p.y + t[2];
    p.dy = local.y + t[3] * p.x + t[4] * p.y + t[5];
}

int32_t FitAffine(AffineTransform& t, const FeaturePoint* points, int32_t n) {
    int64_t sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
    double sdx = 0, sxdx = 0, sydx = 0, sdy = 0, sxdy = 0, sydy = 0;
    for (int32_t i = 0; i < n; ++i) {
        const FeaturePoint& p = points[i];
        const int64_t x = p.x;
        const int64_t y = p.y;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
        syy += y * y;
        sdx += p.dx;
        sxdx += x * p.dx;
        sydx += y * p.dx;
        sdy += p.dy;
        sxdy += x * p.dy;
        sydy += y * p.dy;
    }
    const int64_t a = n * sxx - sx * sx;
    const int64_t b = n * sxy - sx * sy;
    const int64_t c = n * syy - sy * sy;
    const Wide det = static_cast<Wide>(a) * c - static_cast<Wide>(b) * b;
    if (det == 0) {
        return -1;
    }
    const auto d = static_cast<double>(det);
    // Centred normal equations: p0, p1 from the covariances, p2 from the means.
    const auto solve = [&](double s, double sxs, double sys, double& px, double& py, double& p) {
        const double u = n * sxs - static_cast<double>(sx) * s;
        const double v = n * sys - static_cast<double>(sy) * s;
        px = (static_cast<double>(c) * u - static_cast<double>(b) * v) / d;
        py = (static_cast<double>(a) * v - static_cast<double>(b) * u) / d;
        p = (s - px * static_cast<double>(sx) - py * static_cast<double>(sy)) / n;
    };
    solve(sdx, sxdx, sydx, t[0], t[1], t[2]);
    solve(sdy, sxdy, sydy, t[3], t[4], t[5]);
    return 0;
}

void RobustFit(AffineTransform& t, const FeaturePoint* points, int32_t n) {
    std::vector<FeaturePoint> kept;
    kept.reserve(static_cast<size_t>(n));
    for (int32_t threshold = 128; threshold >= 1; threshold /= 2) {
        kept.clear();
        for (int32_t i = 0; i < n; ++i) {
            const FeaturePoint& p = points[i];
            const double ex = p.dx - (t[0] * p.x + t[1] * p.y + t[2]);
            const double ey = p.dy - (t[3] * p.x + t[4] * p.y + t[5]);
            if (std::trunc(ex * ex + ey * ey) < threshold) {
                kept.push_back(p);
            }
        }
        FitAffine(t, kept.data(), static_cast<int32_t>(kept.size()));
    }
}

RefineStep NextRefineStep(float err, float newErr, int32_t round) {
    constexpr int32_t kMaxRounds = 6;
    if (err - newErr >= 1.0f) {
        return round >= kMaxRounds ? RefineStep::kKeep : RefineStep::kAgain;
    }
    return newErr > err ? RefineStep::kRestore : RefineStep::kKeep;
}

void RefineAffine(AffineTransform& t, std::vector<FeaturePoint>& points, BytePlane aligned,
                  BytePlane frame, BytePlane ref, BytePlane half, BytePlane quarter) {
    auto err = static_cast<float>(FrameError(ref, aligned));
    for (int32_t round = 1;; ++round) {
        const AffineTransform previous = t;
        MatchFeatures(points, t, ref, aligned, half, quarter);
        const auto count = static_cast<int32_t>(points.size());
        FitAffine(t, points.data(), count);
        RobustFit(t, points.data(), count);
        WarpToFrame(aligned, frame, t);
        const auto newErr = static_cast<float>(FrameError(ref, aligned));
        const RefineStep step = NextRefineStep(err, newErr, round);
        if (step == RefineStep::kAgain) {
            err = newErr;
            continue;
        }
        if (step == RefineStep::kRestore) {
            t = previous;
        }
        return;
    }
}

}  // namespace lumivex::engine
