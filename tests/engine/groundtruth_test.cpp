// Registration and fusion measured against pictures whose true geometry is known. The measured
// figures are printed so that they can be recorded; the assertions hold them to what clean
// input must reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/registration.h"
#include "engine/resample.h"
#include "engine/super_resolve.h"
#include "tests/engine/test_pictures.h"

namespace lumivex {
namespace {

using engine::AffineTransform;
using engine::testing::ApplyTransform;
using engine::testing::InverseTransform;
using engine::testing::NoisePicture;
using engine::testing::Psnr;
using engine::testing::TestPicture;
using engine::testing::WaveTexture;

struct Case {
    const char* name;
    AffineTransform truth;  // reference position → frame position
};

// A rotation by degrees and a scale about the frame centre, followed by a shift.
AffineTransform RotateScaleShift(double degrees, double scale, double sx, double sy, int32_t w,
                                 int32_t h) {
    const double a = degrees * 3.14159265358979323846 / 180.0;
    const double m00 = scale * std::cos(a), m01 = -scale * std::sin(a);
    const double m10 = scale * std::sin(a), m11 = scale * std::cos(a);
    const double cx = w / 2.0, cy = h / 2.0;
    return {m00 - 1.0, m01,       cx + sx - (m00 * cx + m01 * cy),
            m10,       m11 - 1.0, cy + sy - (m10 * cx + m11 * cy)};
}

struct Errors {
    double mean = 0.0;
    double worst = 0.0;
};

// Distance between two transforms' images of every 8th pixel position of the frame.
Errors TransformError(const AffineTransform& a, const AffineTransform& b, int32_t w, int32_t h) {
    Errors e;
    int32_t count = 0;
    for (int32_t y = 0; y < h; y += 8) {
        for (int32_t x = 0; x < w; x += 8) {
            const auto pa = ApplyTransform(a, x, y);
            const auto pb = ApplyTransform(b, x, y);
            const double d = std::hypot(pa[0] - pb[0], pa[1] - pb[1]);
            e.mean += d;
            e.worst = std::max(e.worst, d);
            ++count;
        }
    }
    e.mean /= count;
    return e;
}

// Registers one frame to the reference through the driver and returns its report.
RegistrationReport Register(TestPicture& reference, TestPicture& frame) {
    std::vector<uint8_t*> pointers = {reference.pixels.data(), frame.pixels.data()};
    // A small output keeps the enlargement stages cheap; registration works at frame size.
    const int32_t outWidth = std::max(4, reference.width / 4 / 4 * 4);
    const int32_t outHeight = std::max(4, reference.height / 4);
    TestPicture out(outWidth, outHeight);
    EnhanceProgress progress;
    RegistrationReport report{};
    const auto keep = [&](const RegistrationReport& r) { report = r; };
    EXPECT_TRUE(SuperResolve(progress, pointers.data(), 2, reference.width, reference.height, 0,
                             out.pixels.data(), outWidth, outHeight, nullptr, keep));
    return report;
}

// caseCount: how many of the cases below to run (the largest frames take the first few).
void MeasureRegistration(int32_t w, int32_t h, size_t caseCount, double shiftLimit,
                         double transformLimit) {
    const WaveTexture texture(41, 40, 6.0, 90.0, 9.0);
    std::vector<Case> cases = {
        {"shift (0.37, -0.61)", {0, 0, 0.37, 0, 0, -0.61}},
        {"shift (11.8, -7.15)", {0, 0, 11.8, 0, 0, -7.15}},
        {"rotate -0.15 deg, scale 0.998 + (2.7, 1.9)",
         RotateScaleShift(-0.15, 0.998, 2.7, 1.9, w, h)},
        {"shift (-3.3, 2.45)", {0, 0, -3.3, 0, 0, 2.45}},
        {"rotate 0.2 deg + (1.2, -0.8)", RotateScaleShift(0.2, 1.0, 1.2, -0.8, w, h)},
        {"scale 1.003 + (-0.5, 0.25)", RotateScaleShift(0.0, 1.003, -0.5, 0.25, w, h)},
    };
    cases.resize(std::min(caseCount, cases.size()));
    TestPicture reference = texture.Render(w, h, {});
    for (const Case& c : cases) {
        // Frame pixel p shows the texture at truth⁻¹(p), so frame(truth(x)) = reference(x).
        TestPicture frame = texture.Render(w, h, InverseTransform(c.truth));
        TestPicture ref = reference;
        const RegistrationReport r = Register(ref, frame);
        // EstimateShift matches the central window: compare with the truth at the centre.
        const auto centre = ApplyTransform(c.truth, w / 2.0, h / 2.0);
        const double shiftError =
            std::hypot(r.shiftX - (centre[0] - w / 2.0), r.shiftY - (centre[1] - h / 2.0));
        AffineTransform final;
        std::copy(std::begin(r.transform), std::end(r.transform), final.begin());
        const Errors e = TransformError(final, c.truth, w, h);
        std::printf(
            "[registration] %dx%d %-44s shift error %.4f px, transform error mean %.4f "
            "worst %.4f px, %s\n",
            w, h, c.name, shiftError, e.mean, e.worst, r.accepted ? "accepted" : "rejected");
        EXPECT_LT(shiftError, shiftLimit) << c.name;
        EXPECT_LT(e.mean, transformLimit) << c.name;
        EXPECT_LT(e.worst, 2 * transformLimit) << c.name;
    }
}

TEST(RegistrationGroundTruthTest, Field720x288) {
    MeasureRegistration(720, 288, 6, 0.05, 0.05);
}

TEST(RegistrationGroundTruthTest, Frame640x480) {
    MeasureRegistration(640, 480, 6, 0.05, 0.05);
}

TEST(RegistrationGroundTruthTest, Frame1920x1080) {
    MeasureRegistration(1920, 1080, 3, 0.05, 0.05);
}

TEST(FusionGroundTruthTest, EightShiftedFramesBeatTheCubicEnlargementOfTheReference) {
    // The scene is a texture of fine and coarse detail (periods of 2.5 to 40 high-resolution
    // pixels, so the low-resolution frames alias). Low-resolution frame k is the 2 × 2 area
    // reduction of the scene displaced by (dx_k, dy_k) low-resolution pixels, plus sensor noise
    // of 2 grey levels. Output pixel j lies at low-resolution position j / 2, whose pixel box
    // covers high-resolution [j, j + 2): the truth is the scene averaged over the unit box
    // centred there, [j + 0.5, j + 1.5). The truth on the grid of frame 0's 2 × 2 blocks,
    // [j, j + 1), half a pixel away, is measured as well.
    constexpr int32_t w = 240;
    constexpr int32_t h = 180;
    const WaveTexture texture(77, 40, 2.5, 40.0, 10.0);
    const double offsets[8][2] = {{0.0, 0.0},       {0.5164, 0.5707}, {0.0285, 0.1715},
                                  {0.6853, 0.8339}, {0.307, 0.8936},  {0.7215, 0.1899},
                                  {0.5542, 0.3521}, {0.1819, 0.7856}};
    std::vector<TestPicture> frames;
    for (const auto& o : offsets) {
        frames.push_back(texture.RenderBoxes(w, h, 2.0, o[0], o[1]));
        engine::testing::AddNoise(frames.back(), 2.0, static_cast<uint32_t>(frames.size()));
    }
    const TestPicture truth = texture.RenderBoxes(2 * w, 2 * h, 1.0, 0.5, 0.5);
    const TestPicture blockTruth = texture.RenderBoxes(2 * w, 2 * h, 1.0, 0.0, 0.0);

    TestPicture cubic(2 * w, 2 * h);
    engine::ResampleCubic(cubic.Plane(), frames[0].Plane());

    std::vector<uint8_t*> pointers;
    for (TestPicture& f : frames) {
        pointers.push_back(f.pixels.data());
    }
    TestPicture fused(2 * w, 2 * h);
    EnhanceProgress progress;
    int32_t accepted = 0;
    double worstShift = 0.0;
    const auto record = [&](const RegistrationReport& r) {
        accepted += r.accepted ? 1 : 0;
        // Frame k at x shows what the reference shows at x + d_k: its transform is a shift
        // by −d_k.
        worstShift = std::max(worstShift, std::hypot(r.transform[2] + offsets[r.index][0],
                                                     r.transform[5] + offsets[r.index][1]));
    };
    ASSERT_TRUE(RunEnhancement(progress, pointers.data(), 8, w, h, 0, fused.pixels.data(), 2 * w,
                               2 * h, nullptr, record));
    ASSERT_EQ(progress.status.load(), kEnhanceSucceeded);
    const double cubicPsnr = Psnr(cubic, truth);
    const double fusedPsnr = Psnr(fused, truth);
    std::printf(
        "[fusion] %dx%d x2, 8 frames: %d accepted, worst shift error %.4f px; PSNR "
        "SuperResolve %.2f dB, ResampleCubic of the reference %.2f dB (block-grid truth: "
        "%.2f dB and %.2f dB)\n",
        w, h, accepted, worstShift, fusedPsnr, cubicPsnr, Psnr(fused, blockTruth),
        Psnr(cubic, blockTruth));
    EXPECT_EQ(accepted, 7);
    EXPECT_LT(worstShift, 0.1);
    EXPECT_GT(fusedPsnr, cubicPsnr + 0.3);
}

TEST(LargeFrameTest, FourThousandByThreeThousandPairRegistersDespiteHugeWindowCosts) {
    // At full size the central search window holds about 1.37 million pixels. Between
    // unrelated (smoothed) noise pixels the weighted difference averages about 9 000, so every
    // wrong shift costs over 10¹⁰, beyond 32 bits; the true shift, disturbed by noise of ±19,
    // costs about 1.4·10⁸.
    constexpr int32_t w = 4000;
    constexpr int32_t h = 3000;
    TestPicture reference = NoisePicture(w, h, 12);
    TestPicture frame(w, h);
    const TestPicture jitter = NoisePicture(w, h, 13);
    // frame(x + 3, y − 2) = reference(x, y) + noise.
    for (int32_t y = 0; y < h; ++y) {
        const int32_t sy = std::clamp(y + 2, 0, h - 1);
        for (int32_t x = 0; x < w; ++x) {
            const int32_t sx = std::clamp(x - 3, 0, w - 1);
            for (int32_t ch = 0; ch < 3; ++ch) {
                const int32_t v = reference.At(sy, sx)[ch] + jitter.At(y, x)[ch] % 39 - 19;
                frame.At(y, x)[ch] = static_cast<uint8_t>(std::clamp(v, 0, 255));
            }
        }
    }
    const RegistrationReport r = Register(reference, frame);
    std::printf(
        "[large] 4000x3000 noise pair: shift (%.4f, %.4f), transform shift (%.4f, %.4f), "
        "true (3, -2)\n",
        r.shiftX, r.shiftY, r.transform[2], r.transform[5]);
    EXPECT_NEAR(r.shiftX, 3.0, 0.25);
    EXPECT_NEAR(r.shiftY, -2.0, 0.25);
    EXPECT_NEAR(r.transform[2], 3.0, 0.25);
    EXPECT_NEAR(r.transform[5], -2.0, 0.25);

    // The full-size search from (4, −2), as the coarser levels hand it on. Costs wrapped to 32
    // bits would make (3, −1) look cheapest here (its 1.3·10¹⁰ wraps to 4·10⁷); saturated, every
    // wrong shift costs the maximum.
    engine::Smooth2x2(reference.Plane());
    engine::Smooth2x2(frame.Plane());
    engine::MatchState state;
    state.sx = 4;
    state.sy = -2;
    EXPECT_EQ(engine::ShiftSearch(reference.Plane(), frame.Plane(), state), 0);
    EXPECT_EQ(state.sx, 3);
    EXPECT_EQ(state.sy, -2);
    EXPECT_LT(state.cost[2][2], 200000000u);
    EXPECT_EQ(state.cost[1][2], UINT32_MAX);
}

}  // namespace
}  // namespace lumivex
