#include "engine/registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/engine/test_pictures.h"

namespace lumivex::engine {
namespace {

using testing::NoisePicture;
using testing::TestPicture;

// A table whose cost is c0 + scale × ((col − 2 − ox)² + (row − 2 − oy)²).
MatchState BowlState(double ox, double oy, double scale) {
    MatchState state;
    state.sx = 7;
    state.sy = -3;
    for (int32_t r = 0; r < 5; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            const double dx = c - 2 - ox;
            const double dy = r - 2 - oy;
            state.cost[r][c] = static_cast<uint32_t>(1000 + scale * (dx * dx + dy * dy));
        }
    }
    return state;
}

TEST(WindowCostTest, WeighsGreenThreeRedTwoBlueOneAndStartsAtOne) {
    TestPicture a(4, 4, 10);
    TestPicture b(4, 4, 10);
    b.At(1, 2)[0] = 13;  // blue 3 → 9
    b.At(1, 2)[1] = 12;  // green 2 → 3 × 4
    b.At(2, 2)[2] = 15;  // red 5 → 2 × 25
    const SearchWindow window{1, 2, 1, 2};
    EXPECT_EQ(WindowCost(a.Plane(), b.Plane(), window, 0, 0), 1u + 9 + 12 + 50);
    // Shift (1, 0) compares reference (r, c) with frame (r, c + 1): only column 2 of the frame
    // window at c = 1 differs.
    EXPECT_EQ(WindowCost(a.Plane(), b.Plane(), window, 1, 0), 1u + 9 + 12 + 50);
    EXPECT_EQ(WindowCost(a.Plane(), b.Plane(), window, -1, 0), 1u);
}

TEST(WindowCostTest, LargeWindowSaturatesInsteadOfWrapping) {
    // 1200 × 1200 pixels of the largest difference: 1 440 000 × 390 150 is far beyond 32 bits;
    // a 32-bit sum would wrap to 1 440 000 × 390 150 + 1 mod 2³², a small, wrong cost.
    TestPicture black(1200, 1200, 0);
    TestPicture white(1200, 1200, 255);
    const SearchWindow window{0, 1199, 0, 1199};
    EXPECT_EQ(WindowCost(black.Plane(), white.Plane(), window, 0, 0),
              std::numeric_limits<uint32_t>::max());
}

TEST(ShiftSearchTest, IdenticalFramesConvergeAtZeroInTheFirstRound) {
    TestPicture ref = NoisePicture(200, 150, 1);
    MatchState state;
    EXPECT_EQ(ShiftSearch(ref.Plane(), ref.Plane(), state), 0);
    EXPECT_EQ(state.sx, 0);
    EXPECT_EQ(state.sy, 0);
    EXPECT_EQ(state.cost[2][2], 1u);
    for (int32_t r = 0; r < 5; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            EXPECT_GT(state.cost[r][c], 0u) << "all 25 computed in one round";
        }
    }
}

TEST(ShiftSearchTest, WalksToAWholePixelShiftAndReportsLeavingTheFrame) {
    // A smooth texture, so that the costs fall towards the true shift from afar.
    const testing::WaveTexture texture(7, 12, 25.0, 60.0, 30.0);
    TestPicture ref = texture.Render(120, 100, {});
    // frame(r + 5, c − 4) = ref(r, c): the shift is (−4, 5), outside the first 5 × 5 table.
    TestPicture frame = texture.Render(120, 100, {0, 0, 4, 0, 0, -5});
    MatchState state;
    EXPECT_EQ(ShiftSearch(ref.Plane(), frame.Plane(), state), 0);
    EXPECT_EQ(state.sx, -4);
    EXPECT_EQ(state.sy, 5);

    // A point window that already touches the edge stops before computing anything.
    MatchState edge;
    EXPECT_EQ(PointSearch(ref.Plane(), frame.Plane(), edge, 3, 50), -1);
    EXPECT_EQ(edge.sx, 0);
    EXPECT_EQ(edge.cost[2][2], 0u);
    MatchState inner;
    EXPECT_EQ(PointSearch(ref.Plane(), frame.Plane(), inner, 60, 50), 1);
    EXPECT_EQ(inner.sx, -4);
    EXPECT_EQ(inner.sy, 5);
}

TEST(CostSurfaceTest, IsAtLeastOneAndReproducesAFlatTable) {
    MatchState zero;
    EXPECT_EQ(CostSurface(0.3, -0.6, zero), 1);
    MatchState flat;
    for (auto& row : flat.cost) {
        std::fill(std::begin(row), std::end(row), 600u);
    }
    // 16 truncated terms of weights summing to 1: within 16 of the table value.
    const int64_t c = CostSurface(0.25, -0.5, flat);
    EXPECT_LE(c, 600);
    EXPECT_GE(c, 600 - 16);
}

TEST(SubPixelShiftTest, NineHalvingRoundsReachTheLastStep) {
    // A cost falling towards +x and +y: every round takes the (+step, +step) candidate, so the
    // offset is 0.5 + 0.25 + … + 0.001953125 = 0.998046875 exactly; eight rounds would stop at
    // 0.99609375 and ten would reach 0.9990234375.
    MatchState ramp;
    ramp.sx = 3;
    ramp.sy = 1;
    for (int32_t r = 0; r < 5; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            ramp.cost[r][c] = static_cast<uint32_t>(100000 - 9000 * c - 7000 * r);
        }
    }
    const SubPixel s = SubPixelShift(ramp);
    EXPECT_EQ(s.x, 3.998046875);
    EXPECT_EQ(s.y, 1.998046875);
}

TEST(SubPixelShiftTest, FindsTheMinimumOfAQuadraticBowl) {
    const SubPixel centred = SubPixelShift(BowlState(0.0, 0.0, 1e6));
    EXPECT_EQ(centred.x, 7.0);
    EXPECT_EQ(centred.y, -3.0);
    const SubPixel off = SubPixelShift(BowlState(0.25, -0.375, 1e6));
    EXPECT_NEAR(off.x, 7.25, 0.002);
    EXPECT_NEAR(off.y, -3.375, 0.002);
}

// A bowl centred on the offset (−0.5, −0.5), the first candidate SubPixelShift tries, whose
// surface there is exactly `target`: the bowl is set a little below it, then its corner entry is
// raised in steps of 256 (one unit of a float near 2³¹), each of which lifts that one term by
// about 0.11, until the surface reaches target.
MatchState BowlReaching(int64_t target) {
    constexpr double kSlope = 1.5e8;
    MatchState state;
    state.sx = 4;
    state.sy = -6;
    for (int32_t r = 0; r < 5; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
            const double d2 = (c - 1.5) * (c - 1.5) + (r - 1.5) * (r - 1.5);
            state.cost[r][c] = static_cast<uint32_t>(target - 2 * kSlope / 3 - 5000 + kSlope * d2);
        }
    }
    while (CostSurface(-0.5, -0.5, state) < target) {
        state.cost[0][0] += 256;
    }
    EXPECT_EQ(CostSurface(-0.5, -0.5, state), target) << "the bowl must reach target exactly";
    return state;
}

TEST(SubPixelShiftTest, OnlyACostBelowTheLargest32BitValueMovesTheShift) {
    // Two unrelated noise frames of 1200 × 900: the central window of 417 × 317 pixels costs
    // about 6 × 10 922 (the mean weighted squared difference of uniform bytes) per pixel,
    // 8.7 × 10⁹ in all, so every entry saturates at 2³² − 1 and the surface, whose weights sum
    // to 1, is near 2³² everywhere: twice INT32_MAX.
    TestPicture ref = NoisePicture(1200, 900, 11);
    TestPicture frame = NoisePicture(1200, 900, 12);
    MatchState saturated;
    ShiftSearch(ref.Plane(), frame.Plane(), saturated);
    for (const auto& row : saturated.cost) {
        for (const uint32_t cost : row) {
            ASSERT_EQ(cost, std::numeric_limits<uint32_t>::max());
        }
    }
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    const struct {
        const char* what;
        MatchState state;
        SubPixel expected;
    } cases[] = {
        {"saturated costs of a poorly matching pair", saturated, {0.0, 0.0}},
        {"best candidate exactly INT32_MAX", BowlReaching(kLargest), {4.0, -6.0}},
        {"best candidate one below INT32_MAX", BowlReaching(kLargest - 1), {3.5, -6.5}},
    };
    for (const auto& c : cases) {
        const SubPixel s = SubPixelShift(c.state);
        EXPECT_EQ(s.x, c.expected.x) << c.what;
        EXPECT_EQ(s.y, c.expected.y) << c.what;
    }
}

std::vector<FeaturePoint> PointsOn(const AffineTransform& t, int32_t spacing) {
    std::vector<FeaturePoint> points;
    for (int32_t i = 0; i < 20; ++i) {
        FeaturePoint p;
        p.x = (i % 5) * spacing + (i / 5) * 7;
        p.y = (i / 5) * spacing + (i % 5) * 3;
        p.dx = t[0] * p.x + t[1] * p.y + t[2];
        p.dy = t[3] * p.x + t[4] * p.y + t[5];
        points.push_back(p);
    }
    return points;
}

TEST(FitAffineTest, RecoversAnExactTransformOnALargeFrame) {
    // Coordinates of a 4000 × 3000 frame: the singularity products are far beyond 32 bits.
    const AffineTransform truth = {0.002, -0.001, 1.5, 0.0015, -0.003, -2.25};
    const std::vector<FeaturePoint> points = PointsOn(truth, 900);
    AffineTransform t{};
    ASSERT_EQ(FitAffine(t, points.data(), 20), 0);
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(t[i], truth[i], 1e-9) << i;
    }
}

TEST(FitAffineTest, RefusesCollinearAndTooFewPointsLeavingTheTransform) {
    const AffineTransform before = {1, 2, 3, 4, 5, 6};
    std::vector<FeaturePoint> line;
    for (int32_t i = 0; i < 10; ++i) {
        line.push_back({100 + 300 * i, 50 + 200 * i, 0.5, 0.5});
    }
    AffineTransform t = before;
    EXPECT_EQ(FitAffine(t, line.data(), 10), -1);
    EXPECT_EQ(t, before);
    EXPECT_EQ(FitAffine(t, line.data(), 2), -1);
    EXPECT_EQ(FitAffine(t, line.data(), 0), -1);
    EXPECT_EQ(t, before);
}

TEST(RobustFitTest, DropsAnOutlierInsideTheFirstThresholdByTheLastOne) {
    const AffineTransform truth = {0.001, 0.002, -0.7, -0.002, 0.001, 0.4};
    std::vector<FeaturePoint> points = PointsOn(truth, 60);
    // Residual² 1.5: kept by every threshold down to 2, refused by threshold 1 (trunc 1 < 1
    // fails), even after the fits have pulled the transform towards it.
    points[12].dx += 1.2247448713915890;
    AffineTransform t = truth;
    RobustFit(t, points.data(), 20);
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(t[i], truth[i], 1e-9) << i;
    }
}

TEST(RobustFitTest, KeepsAPointWhoseResidualTruncatesToZero) {
    const AffineTransform truth = {0.001, 0.002, -0.7, -0.002, 0.001, 0.4};
    std::vector<FeaturePoint> points = PointsOn(truth, 60);
    points[12].dx += 0.9;  // residual² 0.81 truncates to 0: below every threshold
    AffineTransform all = truth;
    ASSERT_EQ(FitAffine(all, points.data(), 20), 0);
    AffineTransform t = truth;
    RobustFit(t, points.data(), 20);
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(t[i], all[i], 1e-12) << i;
    }
    EXPECT_GT(t[2] - truth[2], 0.01);
}

TEST(RobustFitTest, FewerThanThreeKeptPointsLeaveTheTransform) {
    // Under start, 18 points have residual² 162, beyond every threshold; two fit exactly.
    const AffineTransform start = {0, 0, 9, 0, 0, 9};
    std::vector<FeaturePoint> points = PointsOn({0, 0, 0, 0, 0, 0}, 60);
    points[0].dx = 9;
    points[0].dy = 9;
    points[1].dx = 9;
    points[1].dy = 9;
    AffineTransform t = start;
    RobustFit(t, points.data(), 20);  // only two points lie within any threshold of start
    EXPECT_EQ(t, start);
}

TEST(RefineAffineTest, AnotherRoundOnlyAfterAGainOfOneAndSixRoundsAtMost) {
    const struct {
        float err;
        float newErr;
        int32_t round;
        RefineStep step;
    } cases[] = {
        {10.0f, 9.0f, 1, RefineStep::kAgain}, {10.0f, 9.0f, 5, RefineStep::kAgain},
        {10.0f, 9.0f, 6, RefineStep::kKeep},  {10.0f, 9.25f, 1, RefineStep::kKeep},
        {10.0f, 10.0f, 1, RefineStep::kKeep}, {10.0f, 10.25f, 1, RefineStep::kRestore},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextRefineStep(c.err, c.newErr, c.round), c.step)
            << c.err << " -> " << c.newErr << " in round " << c.round;
    }
}

TEST(RefineAffineTest, ARoundThatRaisesTheErrorGivesBackItsStartingTransform) {
    // The frame is the reference but for a 160 × 160 patch moved 3 pixels right, which holds
    // every feature point (and their search windows): the points all report the move, the fit
    // applies it to the whole frame, and the error of the other four fifths grows.
    const testing::WaveTexture texture(5, 12, 10.0, 40.0, 40.0);
    TestPicture ref = texture.Render(400, 400, {});
    const TestPicture moved = texture.Render(400, 400, {0, 0, -3, 0, 0, 0});
    TestPicture frame = ref;
    for (int32_t r = 120; r < 280; ++r) {
        std::copy_n(moved.At(r, 120), 160 * 3, frame.At(r, 120));
    }
    std::vector<FeaturePoint> points;
    for (int32_t i = 0; i < 20; ++i) {
        points.push_back({160 + 20 * (i % 5), 165 + 20 * (i / 5), 0.0, 0.0});
    }
    const PlaneBuffer<uint8_t> half = HalvePlane(ref.Plane());
    const PlaneBuffer<uint8_t> quarter = HalvePlane(half);
    const AffineTransform start{};
    TestPicture aligned(400, 400);
    WarpToFrame(aligned.Plane(), frame.Plane(), start);
    const TestPicture unmoved = aligned;
    AffineTransform t = start;
    RefineAffine(t, points, aligned.Plane(), frame.Plane(), ref.Plane(), half, quarter);
    EXPECT_NEAR(points[7].dx, 3.0, 0.1) << "the points see the patch's move";
    EXPECT_EQ(t, start);
    EXPECT_NE(aligned.pixels, unmoved.pixels) << "aligned stays warped by the transform tried";
}

// 480 × 480: a strong wave along the columns, of period fastPeriod, over slow waves of period
// 400 along the columns and 60 down the rows; moved `offset` pixels to the right.
TestPicture Waves(int32_t offset, double fastPeriod) {
    constexpr double kTurn = 6.283185307179586;
    TestPicture p(480, 480);
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 480; ++x) {
            const double u = x - offset;
            const double v = 128 + 40 * std::cos(kTurn * u / 400) + 30 * std::cos(kTurn * y / 60) -
                             50 * std::sin(kTurn * u / fastPeriod);
            std::fill_n(p.At(y, x), 3, static_cast<uint8_t>(v + 0.5));
        }
    }
    return p;
}

TEST(PyramidTest, CoarseLevelsLeadPastTheTrapsOfFinerOnes) {
    // A level whose table (±2) cannot see past the fast wave's nearest minimum stays there: the
    // quarter-size level for period 16 (4 there) and a move of 40 (10 there, minimum at 2), the
    // half-size level for period 8 and a move of 20. One level coarser the fast wave has a
    // period of 2 (or is averaged away), so the slow waves lead the search to the true move.
    TestPicture ref16 = Waves(0, 16);
    TestPicture frame16 = Waves(40, 16);
    Smooth2x2(ref16.Plane());
    const PlaneBuffer<uint8_t> half16 = HalvePlane(ref16.Plane());
    const PlaneBuffer<uint8_t> quarter16 = HalvePlane(half16);
    const PlaneBuffer<uint8_t> eighth16 = HalvePlane(quarter16);
    const AffineTransform t =
        EstimateShift(ref16.Plane(), frame16.Plane(), half16, quarter16, eighth16);
    EXPECT_NEAR(t[2], 40.0, 0.25) << "EstimateShift, from eighth size";
    EXPECT_NEAR(t[5], 0.0, 0.25);

    TestPicture ref8 = Waves(0, 8);
    TestPicture frame8 = Waves(20, 8);
    Smooth2x2(ref8.Plane());
    const PlaneBuffer<uint8_t> half8 = HalvePlane(ref8.Plane());
    const PlaneBuffer<uint8_t> quarter8 = HalvePlane(half8);
    const PlaneBuffer<uint8_t> a2 = HalvePlane(frame8.Plane());
    const PlaneBuffer<uint8_t> a4 = HalvePlane(a2);
    FeaturePoint p{240, 240, 0.0, 0.0};
    TrackPoint(p, AffineTransform{}, ref8.Plane(), frame8.Plane(), a2, a4, half8, quarter8);
    EXPECT_NEAR(p.dx, 20.0, 0.25) << "TrackPoint, from quarter size";
    EXPECT_NEAR(p.dy, 0.0, 0.25);
}

TEST(FrameErrorTest, MeanOverTheInnerRegionPerPixel) {
    TestPicture a(60, 50, 100);
    TestPicture b(60, 50, 100);
    for (int32_t r = 0; r < 50; ++r) {
        for (int32_t c = 0; c < 60; ++c) {
            const bool inner = r >= 20 && r <= 29 && c >= 20 && c <= 39;
            b.At(r, c)[1] = static_cast<uint8_t>(inner ? 104 : 0);  // margins do not count
        }
    }
    // 16 per pixel over the 10 × 20 inner pixels, divided by (50 − 40) × (60 − 40).
    EXPECT_DOUBLE_EQ(FrameError(a.Plane(), b.Plane()), 16.0);
}

TEST(FrameErrorTest, StopsAddingRowsOnceTheSumPassesTheCap) {
    // Each inner row adds 4960 × 195075 = 967 572 000: after two rows the sum exceeds
    // 1 234 567 890, so only two of the 4 inner rows count.
    TestPicture a(5000, 44, 0);
    TestPicture b(5000, 44, 255);
    const double expected = 2.0 * 4960 * 195075 / (4.0 * 4960);
    EXPECT_DOUBLE_EQ(FrameError(a.Plane(), b.Plane()), expected);
}

}  // namespace
}  // namespace lumivex::engine
