#include "reconstruct/reconstruct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <thread>
#include <vector>

#include "engine/parallel.h"
#include "reconstruct/colour.h"
#include "synthetic_scene.h"

namespace lumivex {
namespace {

using testing_scene::Picture;

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 80;
// Whole-pixel offsets of the truth: half-pixel offsets of the frames, every phase covered.
constexpr int32_t kOffsets[][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {3, 2}, {2, 3}};

class ReconstructTest : public testing::Test {
protected:
    void SetUp() override {
        const Picture full = testing_scene::Truth(kWidth, kHeight);
        truth_ = testing_scene::Crop(full, 2 * kWidth, 2 * kHeight);
        for (const auto& o : kOffsets) {
            frames_.push_back(testing_scene::BoxFrame(full, kWidth, kHeight, o[0], o[1]));
        }
    }
    void TearDown() override { SetEngineThreadCount(0); }

    // Runs the reconstruction on the frames onto the 2× grid; the bytes, or empty when it
    // returned false.
    std::vector<uint8_t> Run(EnhanceProgress& progress, const RegistrationObserver& observer = {}) {
        std::vector<uint8_t*> pointers;
        for (Picture& f : frames_) {
            pointers.push_back(f.pixels.data());
        }
        std::vector<uint8_t> out(truth_.pixels.size());
        const bool ok = ReconstructQuality(progress, pointers.data(),
                                           static_cast<int32_t>(pointers.size()), kWidth, kHeight,
                                           0, out.data(), 2 * kWidth, 2 * kHeight, {}, observer);
        return ok ? out : std::vector<uint8_t>{};
    }

    std::vector<uint8_t> CubicPicture() const {
        recon::FloatPlane y(2 * kHeight, 2 * kWidth);
        recon::FloatPlane b(2 * kHeight, 2 * kWidth);
        recon::FloatPlane r(2 * kHeight, 2 * kWidth);
        const uint8_t* ref = frames_[0].pixels.data();
        recon::CubicEnlarge(ref, kWidth, kHeight, recon::Channel::kLuma, y);
        recon::CubicEnlarge(ref, kWidth, kHeight, recon::Channel::kBlueDifference, b);
        recon::CubicEnlarge(ref, kWidth, kHeight, recon::Channel::kRedDifference, r);
        std::vector<uint8_t> cubic(truth_.pixels.size());
        recon::WriteColour(y, b, r, cubic.data());
        return cubic;
    }
    double CubicPsnr() const { return testing_scene::Psnr(CubicPicture(), truth_.pixels); }

    Picture truth_;
    std::vector<Picture> frames_;
};

TEST_F(ReconstructTest, RecoversANoiseFreeSceneFarBeyondCubic) {
    EnhanceProgress progress;
    const std::vector<uint8_t> out = Run(progress);
    ASSERT_FALSE(out.empty());
    const double psnr = testing_scene::Psnr(out, truth_.pixels);
    EXPECT_GT(psnr, 40.0);
    EXPECT_GT(psnr, CubicPsnr() + 8.0);
    // Rounded to nearest: the mean level stays the truth's.
    double diff = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        diff += static_cast<double>(out[i]) - truth_.pixels[i];
    }
    EXPECT_LT(std::abs(diff / static_cast<double>(out.size())), 0.3);
}

// Three and four threads register the five frames in other rounds than two do.
TEST_F(ReconstructTest, SameBytesForAnyThreadCount) {
    EnhanceProgress progress;
    SetEngineThreadCount(1);
    const std::vector<uint8_t> one = Run(progress);
    ASSERT_FALSE(one.empty());
    for (const int threads : {2, 3, 4}) {
        SetEngineThreadCount(threads);
        EXPECT_TRUE(Run(progress) == one) << threads << " threads";
    }
}

// Whatever a watcher happens to see of the progress never goes back, and ends at 100.
TEST_F(ReconstructTest, ProgressRisesToTheEnd) {
    EnhanceProgress progress;
    std::atomic<bool> done{false};
    std::vector<int32_t> seen;
    std::thread watcher([&] {
        while (!done.load()) {
            const int32_t s = progress.status.load();
            if (seen.empty() || seen.back() != s) {
                seen.push_back(s);
            }
            std::this_thread::yield();
        }
    });
    const std::vector<uint8_t> out = Run(progress);
    done = true;
    watcher.join();
    EXPECT_FALSE(out.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(progress.status.load(), 100);
}

// A request already standing is honoured at the first check of each stage: after the first
// registered frame (5 % + a fifth of the registration's 20 %), and, with nothing to register, at
// the first step of the solving passes, which start at 25 %.
TEST_F(ReconstructTest, CancelStopsAtTheFirstCheckOfEachStage) {
    EnhanceProgress progress;
    progress.cancel = true;
    EXPECT_TRUE(Run(progress).empty());
    EXPECT_EQ(progress.status.load(), 9);

    frames_.resize(1);
    EnhanceProgress single;
    single.cancel = true;
    EXPECT_TRUE(Run(single).empty());
    EXPECT_GE(single.status.load(), 25);
    EXPECT_LT(single.status.load(), 30);
}

TEST_F(ReconstructTest, AFrameOfAnotherSceneGetsNoWeight) {
    EnhanceProgress progress;
    const std::vector<uint8_t> clean = Run(progress);
    // Frame 4 (a phase that frame 1 also covers) becomes the scene upside down.
    Picture& other = frames_[4];
    for (int32_t v = 0; v < kHeight / 2; ++v) {
        std::swap_ranges(other.pixels.begin() + v * kWidth * 3,
                         other.pixels.begin() + (v + 1) * kWidth * 3,
                         other.pixels.begin() + (kHeight - 1 - v) * kWidth * 3);
    }
    std::map<int32_t, RegistrationReport> reports;
    const std::vector<uint8_t> out =
        Run(progress, [&](const RegistrationReport& r) { reports.emplace(r.index, r); });
    ASSERT_FALSE(out.empty());
    ASSERT_EQ(reports.size(), frames_.size() - 1);
    for (const auto& [index, report] : reports) {
        if (index == 4) {
            EXPECT_LT(report.weight, 0.05);
            EXPECT_FALSE(report.accepted);
        } else {
            EXPECT_GT(report.weight, 0.8) << index;
            EXPECT_TRUE(report.accepted) << index;
        }
    }
    EXPECT_GT(testing_scene::Psnr(out, truth_.pixels),
              testing_scene::Psnr(clean, truth_.pixels) - 1.0);
}

// An object of moderate contrast, too faint for a per-pixel cut, appears in one frame only: it
// must not show in the result, and that frame's report shows the pixels it lost.
TEST_F(ReconstructTest, AnObjectInOneFrameDoesNotShow) {
    EnhanceProgress progress;
    const double clean = testing_scene::Psnr(Run(progress), truth_.pixels);
    Picture& moved = frames_[4];
    for (int32_t v = 30; v < 50; ++v) {
        for (int32_t u = 3 * 36; u < 3 * 60; ++u) {
            uint8_t& p = moved.pixels[static_cast<size_t>(v) * kWidth * 3 + u];
            p = static_cast<uint8_t>(std::min(255, p + 12));
        }
    }
    std::map<int32_t, RegistrationReport> reports;
    const std::vector<uint8_t> out =
        Run(progress, [&](const RegistrationReport& r) { reports.emplace(r.index, r); });
    ASSERT_FALSE(out.empty());
    EXPECT_GT(testing_scene::Psnr(out, truth_.pixels), clean - 0.65);
    EXPECT_LT(reports[4].weight, reports[1].weight - 0.02);
}

// An object that only the reference shows (it moved away in every other frame): where the other
// frames lose their weight the result must not keep a ghost of what they showed, so the object
// comes out at least as close to the truth as the reference's cubic enlargement makes it.
TEST_F(ReconstructTest, AnObjectOnlyInTheReferenceKeepsNoGhost) {
    constexpr int32_t kTop = 60, kLeft = 72, kRows = 40, kCols = 48;
    Picture full = testing_scene::Truth(kWidth, kHeight);
    for (int32_t v = kTop; v < kTop + kRows; ++v) {
        std::fill_n(full.pixels.begin() + (static_cast<size_t>(v) * full.width + kLeft) * 3,
                    kCols * 3, uint8_t{128});
    }
    frames_[0] = testing_scene::BoxFrame(full, kWidth, kHeight, 0, 0);
    truth_ = testing_scene::Crop(full, 2 * kWidth, 2 * kHeight);
    const auto objectError = [&](const std::vector<uint8_t>& picture) {
        double sum = 0.0;
        for (int32_t v = kTop; v < kTop + kRows; ++v) {
            for (int32_t i = kLeft * 3; i < (kLeft + kCols) * 3; ++i) {
                const size_t at = static_cast<size_t>(v) * 2 * kWidth * 3 + i;
                const double d = static_cast<double>(picture[at]) - truth_.pixels[at];
                sum += d * d;
            }
        }
        return std::sqrt(sum / (kRows * kCols * 3));
    };
    EnhanceProgress progress;
    const std::vector<uint8_t> out = Run(progress);
    ASSERT_FALSE(out.empty());
    EXPECT_LT(objectError(out), objectError(CubicPicture()));
}

TEST_F(ReconstructTest, RefusesWhatItCannotProcess) {
    EnhanceProgress progress;
    uint8_t* pointers[2] = {frames_[0].pixels.data(), frames_[1].pixels.data()};
    std::vector<uint8_t> out(64 * 64 * 3);
    EXPECT_FALSE(
        ReconstructQuality(progress, pointers, 0, kWidth, kHeight, 0, out.data(), 64, 64, {}));
    EXPECT_FALSE(
        ReconstructQuality(progress, pointers, 2, kWidth, kHeight, 2, out.data(), 64, 64, {}));
    // Two frames too small to register; a single one is only enlarged.
    EXPECT_FALSE(ReconstructQuality(progress, pointers, 2, 32, 32, 0, out.data(), 64, 64, {}));
    EXPECT_TRUE(ReconstructQuality(progress, pointers, 1, 32, 32, 0, out.data(), 64, 64, {}));
}

}  // namespace
}  // namespace lumivex
