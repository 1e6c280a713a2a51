#include "engine/super_resolve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <set>
#include <thread>
#include <vector>

#include "engine/resample.h"
#include "tests/engine/test_pictures.h"

namespace lumivex {
namespace {

using engine::testing::NoisePicture;
using engine::testing::TestPicture;
using engine::testing::WaveTexture;

// Frames of one scene seen with small whole and sub-pixel shifts.
std::vector<TestPicture> ShiftedFrames(int32_t count, int32_t width, int32_t height) {
    const WaveTexture texture(3, 24, 8.0, 60.0, 12.0);
    std::vector<TestPicture> frames;
    for (int32_t k = 0; k < count; ++k) {
        frames.push_back(texture.Render(width, height, {0, 0, 0.4 * k, 0, 0, -0.3 * k}));
    }
    return frames;
}

std::vector<uint8_t*> PointersTo(std::vector<TestPicture>& frames) {
    std::vector<uint8_t*> pointers;
    for (TestPicture& f : frames) {
        pointers.push_back(f.pixels.data());
    }
    return pointers;
}

TestPicture CubicEnlargement(TestPicture& reference, int32_t width, int32_t height) {
    TestPicture out(width, height);
    engine::ResampleCubic(out.Plane(), reference.Plane());
    return out;
}

// The status the driver reports for progress p.
int32_t Percent(double p) {
    return static_cast<int32_t>(p + 0.5);
}

// Per frame k of n: 10 + 85 × (k − 0.66) / (n − 1), then k − 0.33, then k.
int32_t FrameProgress(int32_t k, double third, int32_t n) {
    return Percent(10 + 85 * (k - third) / static_cast<float>(n - 1));
}

TEST(SuperResolveTest, SingleFrameIsTheCubicEnlargementWithoutSharpening) {
    std::vector<TestPicture> frames = ShiftedFrames(1, 64, 48);
    std::vector<uint8_t*> pointers = PointersTo(frames);
    TestPicture out(128, 96);
    EnhanceProgress progress;
    EXPECT_TRUE(
        SuperResolve(progress, pointers.data(), 1, 64, 48, 0, out.pixels.data(), 128, 96, nullptr));
    EXPECT_EQ(progress.status.load(), 50);
    EXPECT_EQ(out.pixels, CubicEnlargement(frames[0], 128, 96).pixels);

    EXPECT_TRUE(RunEnhancement(progress, pointers.data(), 1, 64, 48, 0, out.pixels.data(), 128, 96,
                               nullptr));
    EXPECT_EQ(progress.status.load(), kEnhanceSucceeded);
}

TEST(SuperResolveTest, CancelDuringTheFirstFrameStopsAtItsFirstCheck) {
    std::vector<TestPicture> frames = ShiftedFrames(3, 96, 80);
    std::vector<uint8_t*> pointers = PointersTo(frames);
    TestPicture out(192, 160);
    EnhanceProgress progress;
    progress.cancel = true;
    int32_t reports = 0;
    const auto count = [&](const RegistrationReport&) { ++reports; };
    EXPECT_FALSE(SuperResolve(progress, pointers.data(), 3, 96, 80, 0, out.pixels.data(), 192, 160,
                              nullptr, count));
    EXPECT_EQ(progress.status.load(), FrameProgress(1, 0.66, 3));  // 10 + 85 × 0.34 / 2 → 24
    EXPECT_EQ(progress.status.load(), 24);
    EXPECT_EQ(reports, 0);

    EXPECT_TRUE(RunEnhancement(progress, pointers.data(), 3, 96, 80, 0, out.pixels.data(), 192, 160,
                               nullptr));
    EXPECT_EQ(progress.status.load(), kEnhanceCancelled);
}

TEST(SuperResolveTest, ProgressRunsFiveTenThirdsOfEachFrameNinetyFiveHundred) {
    constexpr int32_t n = 4;
    std::vector<TestPicture> frames = ShiftedFrames(n, 96, 80);
    std::vector<uint8_t*> pointers = PointersTo(frames);
    TestPicture out(192, 160);
    EnhanceProgress progress;

    std::set<int32_t> allowed = {0, 5, 10, 95, 100};
    for (int32_t k = 1; k < n; ++k) {
        for (const double third : {0.66, 0.33, 0.0}) {
            allowed.insert(FrameProgress(k, third, n));
        }
    }
    // A watcher sees some of the values; whatever it sees must belong to the sequence, in order.
    std::atomic<bool> done{false};
    std::vector<int32_t> seen;
    std::thread watcher([&] {
        while (!done.load()) {
            const int32_t s = progress.status.load();
            if (seen.empty() || seen.back() != s) {
                seen.push_back(s);
            }
        }
    });
    // The observer runs right after each frame's last report.
    std::vector<int32_t> atReports;
    const auto record = [&](const RegistrationReport&) {
        atReports.push_back(progress.status.load());
    };
    const bool finished = SuperResolve(progress, pointers.data(), n, 96, 80, 0, out.pixels.data(),
                                       192, 160, nullptr, record);
    done = true;
    watcher.join();
    EXPECT_TRUE(finished);
    EXPECT_EQ(progress.status.load(), 100);
    EXPECT_EQ(atReports, (std::vector<int32_t>{38, 67, 95}));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    for (const int32_t s : seen) {
        EXPECT_TRUE(allowed.count(s)) << s;
    }

    // Cancel set while frame 1 is reported: the run stops at frame 2's first check.
    EnhanceProgress second;
    std::vector<TestPicture> again = ShiftedFrames(n, 96, 80);
    pointers = PointersTo(again);
    int32_t reports = 0;
    const auto cancelAfterFirst = [&](const RegistrationReport&) {
        ++reports;
        second.cancel = true;
    };
    EXPECT_FALSE(SuperResolve(second, pointers.data(), n, 96, 80, 0, out.pixels.data(), 192, 160,
                              nullptr, cancelAfterFirst));
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(second.status.load(), FrameProgress(2, 0.66, n));
}

TEST(SuperResolveTest, ReferenceIsSwappedIntoPlaceAndReportsUseTheCallersIndices) {
    std::vector<TestPicture> frames = ShiftedFrames(3, 96, 80);
    std::vector<uint8_t*> pointers = PointersTo(frames);
    const std::vector<uint8_t*> original = pointers;
    TestPicture out(96, 80);
    EnhanceProgress progress;
    std::vector<int32_t> indices;
    std::vector<double> shifts;
    const auto record = [&](const RegistrationReport& r) {
        indices.push_back(r.index);
        shifts.push_back(r.shiftX);
    };
    ASSERT_TRUE(SuperResolve(progress, pointers.data(), 3, 96, 80, 2, out.pixels.data(), 96, 80,
                             nullptr, record));
    EXPECT_EQ(pointers[0], original[2]);
    EXPECT_EQ(pointers[2], original[0]);
    EXPECT_EQ(pointers[1], original[1]);
    EXPECT_EQ(indices, (std::vector<int32_t>{1, 0}));
    // Frame k at column x shows the scene at x + 0.4 k: reference 2's position x lies at
    // x + 0.4 in frame 1 and at x + 0.8 in frame 0.
    ASSERT_EQ(shifts.size(), 2u);
    EXPECT_NEAR(shifts[0], 0.4, 0.1);
    EXPECT_NEAR(shifts[1], 0.8, 0.1);
}

TEST(SuperResolveTest, FramesFailingTheGateLeaveTheCubicEnlargementUnsharpened) {
    std::vector<TestPicture> frames = ShiftedFrames(1, 96, 80);
    frames.push_back(NoisePicture(96, 80, 1));
    frames.push_back(NoisePicture(96, 80, 2));
    std::vector<uint8_t*> pointers = PointersTo(frames);
    TestPicture out(192, 160);
    EnhanceProgress progress;
    std::vector<RegistrationReport> reports;
    const auto record = [&](const RegistrationReport& r) { reports.push_back(r); };
    ASSERT_TRUE(SuperResolve(progress, pointers.data(), 3, 96, 80, 0, out.pixels.data(), 192, 160,
                             nullptr, record));
    ASSERT_EQ(reports.size(), 2u);
    for (const RegistrationReport& r : reports) {
        EXPECT_FALSE(r.accepted);
        EXPECT_GT(r.difference, r.limit);
    }
    EXPECT_EQ(out.pixels, CubicEnlargement(frames[0], 192, 160).pixels);
}

TEST(SuperResolveTest, FlatReferenceAcceptsOnlyFramesWithoutDifference) {
    std::vector<TestPicture> frames;
    frames.emplace_back(64, 64, 90);
    frames.emplace_back(64, 64, 90);
    frames.emplace_back(64, 64, 96);
    std::vector<uint8_t*> pointers = PointersTo(frames);
    TestPicture out(128, 128);
    EnhanceProgress progress;
    std::vector<RegistrationReport> reports;
    const auto record = [&](const RegistrationReport& r) { reports.push_back(r); };
    ASSERT_TRUE(SuperResolve(progress, pointers.data(), 3, 64, 64, 0, out.pixels.data(), 128, 128,
                             nullptr, record));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].limit, 0.0);
    EXPECT_TRUE(reports[0].accepted);
    EXPECT_FALSE(reports[1].accepted);
    EXPECT_EQ(out.pixels, std::vector<uint8_t>(out.pixels.size(), 90));
}

TEST(SuperResolveTest, AcceptedFramesAreBlendedAndTheResultSharpened) {
    std::vector<TestPicture> frames = ShiftedFrames(3, 96, 80);
    std::vector<uint8_t*> pointers = PointersTo(frames);
    TestPicture out(192, 160);
    EnhanceProgress progress;
    int32_t accepted = 0;
    const auto record = [&](const RegistrationReport& r) { accepted += r.accepted ? 1 : 0; };
    ASSERT_TRUE(RunEnhancement(progress, pointers.data(), 3, 96, 80, 0, out.pixels.data(), 192, 160,
                               nullptr, record));
    EXPECT_EQ(progress.status.load(), kEnhanceSucceeded);
    EXPECT_EQ(accepted, 2);
    EXPECT_NE(out.pixels, CubicEnlargement(frames[0], 192, 160).pixels);
}

TEST(SuperResolveTest, InputTooSmallToRegisterIsRefusedUntouched) {
    EXPECT_EQ(MinRegistrationWidth(), 41);
    EXPECT_EQ(MinRegistrationHeight(), 41);
    EXPECT_TRUE(RegistrationSizeSupported(41, 41));
    EXPECT_FALSE(RegistrationSizeSupported(40, 500));
    EXPECT_FALSE(RegistrationSizeSupported(500, 40));
    EXPECT_TRUE(RegistrationSizeSupported(100, 50));  // one field of the smallest video frame

    std::vector<TestPicture> frames;
    frames.emplace_back(40, 60, 10);
    frames.emplace_back(40, 60, 20);
    std::vector<uint8_t*> pointers = PointersTo(frames);
    TestPicture out(80, 120, 7);
    EnhanceProgress progress;
    EXPECT_FALSE(
        SuperResolve(progress, pointers.data(), 2, 40, 60, 1, out.pixels.data(), 80, 120, nullptr));
    EXPECT_EQ(progress.status.load(), 0);
    EXPECT_EQ(pointers[0], frames[0].pixels.data()) << "nothing runs, not even the swap";
    EXPECT_EQ(out.pixels, std::vector<uint8_t>(out.pixels.size(), 7));
    EXPECT_TRUE(RunEnhancement(progress, pointers.data(), 2, 40, 60, 1, out.pixels.data(), 80, 120,
                               nullptr));
    EXPECT_EQ(progress.status.load(), kEnhanceFailed);

    // The single-frame path needs only the 4 × 4 cubic window.
    TestPicture tiny(4, 4, 50);
    uint8_t* one = tiny.pixels.data();
    TestPicture tinyOut(8, 8);
    EXPECT_TRUE(SuperResolve(progress, &one, 1, 4, 4, 0, tinyOut.pixels.data(), 8, 8, nullptr));
    EXPECT_EQ(tinyOut.pixels, std::vector<uint8_t>(tinyOut.pixels.size(), 50));
    EXPECT_FALSE(SuperResolve(progress, &one, 1, 3, 5, 0, tinyOut.pixels.data(), 8, 8, nullptr));
}

TEST(SuperResolveTest, SmallestRegistrableFramesRunClean) {
    // 41 × 41 and a 100 × 50 field: the coarse levels are too small for their windows, so only
    // the finer searches run; nothing may read outside the planes.
    for (const auto& [w, h] :
         {std::pair{41, 41}, std::pair{100, 50}, std::pair{41, 300}, std::pair{2000, 41}}) {
        std::vector<TestPicture> frames = ShiftedFrames(2, w, h);
        std::vector<uint8_t*> pointers = PointersTo(frames);
        TestPicture out(2 * w, 2 * h);
        EnhanceProgress progress;
        EXPECT_TRUE(SuperResolve(progress, pointers.data(), 2, w, h, 0, out.pixels.data(), 2 * w,
                                 2 * h, nullptr))
            << w << "x" << h;
    }
}

}  // namespace
}  // namespace lumivex
