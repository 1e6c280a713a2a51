// The fast kernels and the fast driver against the plain scalar versions they replace: the same
// bytes for every thread count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/fusion.h"
#include "engine/parallel.h"
#include "engine/registration.h"
#include "engine/resample.h"
#include "engine/sharpen.h"
#include "engine/super_resolve.h"
#include "tests/engine/test_pictures.h"

namespace lumivex::engine {
namespace {

using testing::NoisePicture;
using testing::TestPicture;
using testing::WaveTexture;

constexpr int kThreadCounts[] = {1, 2, 4};

// Restores the default thread count and the fast kernels when a test ends.
class FastKernelsTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetEngineThreadCount(0);
        SetScalarOracle(false);
    }
};

TestPicture Textured(int32_t width, int32_t height, uint32_t seed) {
    const WaveTexture texture(seed, 20, 2.5, 40.0, 40.0);
    TestPicture picture = texture.Render(width, height, {0, 0, 0, 0, 0, 0});
    testing::AddNoise(picture, 6.0, seed + 1);
    return picture;
}

// Transforms that keep the grid inside, push part of it out, rotate and scale.
const AffineTransform kTransforms[] = {
    {0, 0, 0, 0, 0, 0},
    {0, 0, 0.37, 0, 0, -0.61},
    {0, 0, -7.5, 0, 0, 4.25},
    {0.004, -0.0035, 1.2, 0.0035, 0.004, -0.8},
    {-0.02, 0.01, 3.0, -0.01, 0.03, -2.0},
};

TEST_F(FastKernelsTest, ResampleCubicMatchesTheScalarVersion) {
    TestPicture src = Textured(83, 41, 1);
    const int32_t sizes[][2] = {{166, 164}, {83, 41}, {37, 19}, {251, 97}, {8, 4}};
    for (const auto& size : sizes) {
        TestPicture expected(size[0], size[1]);
        scalar::ResampleCubic(expected.Plane(), src.Plane());
        for (const int threads : kThreadCounts) {
            SetEngineThreadCount(threads);
            TestPicture fast(size[0], size[1], 7);
            ResampleCubic(fast.Plane(), src.Plane());
            EXPECT_EQ(fast.pixels, expected.pixels) << size[0] << "x" << size[1] << " " << threads;
        }
    }
}

TEST_F(FastKernelsTest, WarpsMatchTheScalarVersions) {
    TestPicture src = Textured(97, 53, 2);
    for (const AffineTransform& t : kTransforms) {
        for (const auto& size :
             {std::array<int32_t, 2>{97, 53}, std::array<int32_t, 2>{194, 212}}) {
            TestPicture frameExpected(size[0], size[1], 9);
            scalar::WarpToFrame(frameExpected.Plane(), src.Plane(), t);
            TestPicture gridExpected(size[0], size[1], 9);
            std::vector<uint8_t> outsideExpected(static_cast<size_t>(size[0]) * size[1], 5);
            scalar::WarpToGrid(gridExpected.Plane(), src.Plane(), outsideExpected.data(), t);
            for (const int threads : kThreadCounts) {
                SetEngineThreadCount(threads);
                TestPicture frame(size[0], size[1], 9);
                WarpToFrame(frame.Plane(), src.Plane(), t);
                EXPECT_EQ(frame.pixels, frameExpected.pixels) << t[2] << " " << threads;
                TestPicture grid(size[0], size[1], 9);
                std::vector<uint8_t> outside(outsideExpected.size(), 5);
                WarpToGrid(grid.Plane(), src.Plane(), outside.data(), t);
                EXPECT_EQ(grid.pixels, gridExpected.pixels) << t[2] << " " << threads;
                EXPECT_EQ(outside, outsideExpected) << t[2] << " " << threads;
            }
        }
    }
}

// The pyramid steps and the feature choice, split into bands of rows and blocks.
TEST_F(FastKernelsTest, SmoothingHalvingAndFeaturesMatchOneThread) {
    for (const auto& size : {std::array<int32_t, 2>{9, 7}, std::array<int32_t, 2>{203, 131}}) {
        TestPicture expected = Textured(size[0], size[1], 12);
        scalar::Smooth2x2(expected.Plane());
        SetScalarOracle(true);
        const PlaneBuffer<uint8_t> halfExpected = HalvePlane(expected.Plane());
        // Feature selection needs a frame the registration accepts (41 × 41 and up).
        const bool registrable = RegistrationSizeSupported(size[0], size[1]);
        const std::vector<FeaturePoint> pointsExpected =
            registrable ? SelectFeatures(expected.Plane()) : std::vector<FeaturePoint>{};
        SetScalarOracle(false);
        for (const int threads : kThreadCounts) {
            SetEngineThreadCount(threads);
            TestPicture smoothed = Textured(size[0], size[1], 12);
            Smooth2x2(smoothed.Plane());
            EXPECT_EQ(smoothed.pixels, expected.pixels) << size[0] << " " << threads;
            const PlaneBuffer<uint8_t> half = HalvePlane(smoothed.Plane());
            const BytePlane a = half.view();
            const BytePlane b = halfExpected.view();
            EXPECT_EQ(std::vector<uint8_t>(a.data, a.data + a.SampleCount()),
                      std::vector<uint8_t>(b.data, b.data + b.SampleCount()));
            if (registrable) {
                const std::vector<FeaturePoint> points = SelectFeatures(smoothed.Plane());
                ASSERT_EQ(points.size(), pointsExpected.size());
                for (size_t i = 0; i < points.size(); ++i) {
                    EXPECT_EQ(points[i].x, pointsExpected[i].x);
                    EXPECT_EQ(points[i].y, pointsExpected[i].y);
                }
            }
        }
    }
}

// The gate measures from row totals against the pixel-by-pixel count: small differences (whole
// rows counted from their totals), strong ones (terms above a quantum, counted pixel by pixel),
// a strong band between small ones, and planes too small for a quantum.
TEST_F(FastKernelsTest, GateMeasuresMatchTheScalarCount) {
    const struct {
        int32_t width, height, strongRows;
    } cases[] = {{240, 180, 0}, {240, 180, 180}, {240, 180, 7}, {2, 2, 2}, {9, 1000, 0}};
    for (const auto& c : cases) {
        TestPicture a = Textured(c.width, c.height, 31);
        TestPicture b = Textured(c.width, c.height, 31);
        testing::AddNoise(b, 3.0, 32);
        const TestPicture strong = NoisePicture(c.width, c.height, 33);
        const size_t rowBytes = static_cast<size_t>(c.width) * 3;
        const int32_t first = (c.height - c.strongRows) / 2;
        std::copy_n(strong.pixels.begin() + rowBytes * first, rowBytes * c.strongRows,
                    b.pixels.begin() + rowBytes * first);
        SetScalarOracle(true);
        const int32_t difference = PlaneDifference(a.Plane(), b.Plane());
        const int32_t diagonal = DiagonalDifference(b.Plane(), 1, -1);
        SetScalarOracle(false);
        for (const int threads : kThreadCounts) {
            SetEngineThreadCount(threads);
            EXPECT_EQ(PlaneDifference(a.Plane(), b.Plane()), difference)
                << c.width << "x" << c.height << " " << c.strongRows << " " << threads;
            EXPECT_EQ(DiagonalDifference(b.Plane(), 1, -1), diagonal)
                << c.width << "x" << c.height << " " << c.strongRows << " " << threads;
        }
    }
}

TEST_F(FastKernelsTest, DetailSumsGiveTheDetailMapExactly) {
    for (const auto& size : {std::array<int32_t, 2>{4, 4}, std::array<int32_t, 2>{5, 9},
                             std::array<int32_t, 2>{131, 67}}) {
        TestPicture a = NoisePicture(size[0], size[1], 3);
        TestPicture b = NoisePicture(size[0], size[1], 4);
        const PlaneBuffer<double> expected(size[1], size[0], 1);
        DetailMap(expected, a.Plane(), b.Plane());
        for (const int threads : kThreadCounts) {
            SetEngineThreadCount(threads);
            const PlaneBuffer<uint16_t> sums(size[1], size[0], 1);
            DetailSums(sums, a.Plane(), b.Plane());
            for (size_t i = 0; i < expected.view().PixelCount(); ++i) {
                ASSERT_EQ(sums.view().data[i] * (1.0 / 54.0) + 2.8, expected.view().data[i])
                    << i << " " << threads;
            }
        }
    }
}

// A blend where part of the frame agrees with the estimate, part does not, and part lies
// outside; the band edges of the row-at-a-time difference map fall at many rows.
TEST_F(FastKernelsTest, FuseFrameRowsMatchesFuseFrame) {
    for (const auto& size : {std::array<int32_t, 2>{6, 5}, std::array<int32_t, 2>{57, 101}}) {
        const int32_t w = size[0];
        const int32_t h = size[1];
        TestPicture reference = Textured(w, h, 5);
        TestPicture nearest = Textured(w, h, 6);
        TestPicture warped = reference;
        testing::AddNoise(warped, 9.0, 7);
        for (int32_t r = h / 2; r < h; ++r) {
            std::memset(warped.At(r, 0), 200, static_cast<size_t>(w / 3) * 3);
        }
        std::vector<uint8_t> outside(static_cast<size_t>(w) * h, 0);
        for (size_t i = 0; i < outside.size(); i += 7) {
            outside[i] = 1;
        }
        const PlaneBuffer<double> detail(h, w, 1);
        DetailMap(detail, reference.Plane(), nearest.Plane());
        const PlaneBuffer<uint16_t> sums(h, w, 1);
        DetailSums(sums, reference.Plane(), nearest.Plane());
        for (int32_t accepted = 1; accepted <= 3; accepted += 2) {
            TestPicture expected = reference;
            FuseFrame(expected.Plane(), warped.Plane(), outside.data(), accepted, detail);
            for (const int threads : kThreadCounts) {
                SetEngineThreadCount(threads);
                TestPicture fused = reference;
                FuseFrameRows(fused.Plane(), warped.Plane(), outside.data(), accepted, sums);
                EXPECT_EQ(fused.pixels, expected.pixels) << w << "x" << h << " " << threads;
            }
        }
    }
}

TEST_F(FastKernelsTest, SharpenMatchesTheScalarVersion) {
    // Sizes below, at and above the 25-tap kernel's width, and thresholds that drop some edges.
    const int32_t sizes[][2] = {{7, 10}, {25, 26}, {160, 91}};
    for (const auto& size : sizes) {
        const TestPicture original = Textured(size[0], size[1], 8);
        for (const double threshold : {0.0, 9.0}) {
            TestPicture expected = original;
            scalar::Sharpen(expected.Plane(), 5.0, 0.3, threshold);
            for (const int threads : kThreadCounts) {
                SetEngineThreadCount(threads);
                TestPicture fast = original;
                Sharpen(fast.Plane(), 5.0, 0.3, threshold);
                EXPECT_EQ(fast.pixels, expected.pixels) << size[0] << "x" << size[1];
            }
        }
        TestPicture wide = original;
        scalar::Sharpen(wide.Plane(), 1.5, 1.2, 0.0);
        TestPicture wideFast = original;
        Sharpen(wideFast.Plane(), 1.5, 1.2, 0.0);
        EXPECT_EQ(wideFast.pixels, wide.pixels);
    }
}

// The whole-frame shift and the feature tracking with parallel cost tables and searches.
TEST_F(FastKernelsTest, RegistrationMatchesTheScalarOracle) {
    const WaveTexture texture(9, 30, 4.0, 50.0, 30.0);
    TestPicture ref = texture.Render(240, 180, {0, 0, 0, 0, 0, 0});
    TestPicture frame = texture.Render(240, 180, {0.002, -0.003, 2.6, 0.003, 0.002, -1.4});
    Smooth2x2(ref.Plane());
    const PlaneBuffer<uint8_t> half = HalvePlane(ref.Plane());
    const PlaneBuffer<uint8_t> quarter = HalvePlane(half);
    const PlaneBuffer<uint8_t> eighth = HalvePlane(quarter);
    const std::vector<FeaturePoint> features = SelectFeatures(ref.Plane());
    const auto run = [&](AffineTransform& shift) {
        shift = EstimateShift(ref.Plane(), frame.Plane(), half, quarter, eighth);
        AffineTransform t = shift;
        TestPicture aligned = frame;
        WarpToFrame(aligned.Plane(), frame.Plane(), t);
        std::vector<FeaturePoint> points = features;
        RefineAffine(t, points, aligned.Plane(), frame.Plane(), ref.Plane(), half, quarter);
        return t;
    };
    SetScalarOracle(true);
    AffineTransform expectedShift;
    const AffineTransform expected = run(expectedShift);
    SetScalarOracle(false);
    for (const int threads : kThreadCounts) {
        SetEngineThreadCount(threads);
        AffineTransform shift;
        EXPECT_EQ(run(shift), expected) << threads;
        EXPECT_EQ(shift, expectedShift) << threads;
    }
}

struct EnhanceRun {
    std::vector<uint8_t> pixels;
    std::vector<RegistrationReport> reports;
};

EnhanceRun Enhance(std::vector<TestPicture> frames, int32_t reference, int32_t outWidth,
                   int32_t outHeight) {
    std::vector<uint8_t*> pointers;
    for (TestPicture& f : frames) {
        pointers.push_back(f.pixels.data());
    }
    EnhanceRun run;
    run.pixels.assign(static_cast<size_t>(outWidth) * outHeight * 3, 0);
    EnhanceProgress progress;
    const bool finished = SuperResolve(
        progress, pointers.data(), static_cast<int32_t>(frames.size()), frames[0].width,
        frames[0].height, reference, run.pixels.data(), outWidth, outHeight, nullptr,
        [&](const RegistrationReport& r) { run.reports.push_back(r); });
    EXPECT_TRUE(finished);
    return run;
}

void ExpectSameReports(const std::vector<RegistrationReport>& a,
                       const std::vector<RegistrationReport>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].index, b[i].index);
        EXPECT_EQ(a[i].shiftX, b[i].shiftX);
        EXPECT_EQ(a[i].shiftY, b[i].shiftY);
        EXPECT_EQ(std::vector<double>(a[i].transform, a[i].transform + 6),
                  std::vector<double>(b[i].transform, b[i].transform + 6));
        EXPECT_EQ(a[i].difference, b[i].difference);
        EXPECT_EQ(a[i].accepted, b[i].accepted);
    }
}

// Whole runs: a shifted, rotated and noisy burst enlarged 2 × (and to an odd, uneven size),
// with one frame that fails the gate, compared byte for byte with the scalar oracle.
TEST_F(FastKernelsTest, SuperResolveMatchesTheScalarOracle) {
    const WaveTexture texture(11, 24, 6.0, 60.0, 12.0);
    std::vector<TestPicture> frames;
    const AffineTransform views[] = {{0, 0, 0, 0, 0, 0},
                                     {0, 0, 0.45, 0, 0, -0.3},
                                     {0.003, -0.002, -1.2, 0.002, 0.003, 0.8},
                                     {0, 0, 2.3, 0, 0, 1.7}};
    for (const AffineTransform& v : views) {
        frames.push_back(texture.Render(160, 96, v));
        testing::AddNoise(frames.back(), 1.5, static_cast<uint32_t>(frames.size()));
    }
    frames.push_back(NoisePicture(160, 96, 99));  // rejected by the gate
    const int32_t outputs[][2] = {{320, 192}, {251, 301}};
    for (const auto& out : outputs) {
        SetScalarOracle(true);
        const EnhanceRun expected = Enhance(frames, 1, out[0], out[1]);
        SetScalarOracle(false);
        // Both the blending and the gate's refusal are exercised.
        ASSERT_EQ(expected.reports.size(), 4u);
        EXPECT_TRUE(expected.reports[1].accepted);
        EXPECT_FALSE(expected.reports[3].accepted);
        for (const int threads : kThreadCounts) {
            SetEngineThreadCount(threads);
            const EnhanceRun fast = Enhance(frames, 1, out[0], out[1]);
            EXPECT_EQ(fast.pixels, expected.pixels) << out[0] << "x" << out[1] << " " << threads;
            ExpectSameReports(fast.reports, expected.reports);
        }
    }
}

}  // namespace
}  // namespace lumivex::engine
