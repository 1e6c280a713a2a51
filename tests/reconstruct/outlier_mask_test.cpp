#include "reconstruct/outlier_mask.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "engine/parallel.h"

namespace lumivex::recon {
namespace {

// A single large residual is spread by the 5 × 5 window (its mean square exceeds limit² only when
// the residual exceeds 5 × limit) and the area is then grown by 3 pixels on each side: 11 × 11
// pixels in the middle of the plane, 6 × 6 in a corner.
struct SpikeCase {
    const char* name;
    int32_t row;
    int32_t col;
    float value;  // in units of the limit
    int32_t marked;
};

class SpikeTest : public testing::TestWithParam<SpikeCase> {};

TEST_P(SpikeTest, MarksTheWindowAroundTheSpikeGrownByThreePixels) {
    const SpikeCase& c = GetParam();
    constexpr float kLimit = 2.0F;
    FloatPlane residual(40, 48);
    residual.Row(c.row)[c.col] = c.value * kLimit;
    std::vector<uint8_t> mask;
    MarkCoherentOutliers(residual, kLimit, mask);
    ASSERT_EQ(mask.size(), residual.Size());
    EXPECT_EQ(std::accumulate(mask.begin(), mask.end(), 0), c.marked);
    if (c.marked > 0) {
        EXPECT_EQ(mask[static_cast<size_t>(c.row) * residual.cols + c.col], 1);
    }
}

INSTANTIATE_TEST_SUITE_P(OutlierMask, SpikeTest,
                         testing::Values(SpikeCase{"JustAboveFiveLimits", 20, 24, 5.05F, 11 * 11},
                                         SpikeCase{"JustBelowFiveLimits", 20, 24, 4.95F, 0},
                                         SpikeCase{"Negative", 20, 24, -5.05F, 11 * 11},
                                         SpikeCase{"TopLeftCorner", 0, 0, 5.05F, 6 * 6},
                                         SpikeCase{"BottomRightCorner", 39, 47, 5.05F, 6 * 6}),
                         [](const testing::TestParamInfo<SpikeCase>& info) {
                             return std::string(info.param.name);
                         });

// A patch of moderate residuals (each below the 5 × limit a lone pixel needs) that stand out once
// averaged, on a background of alternating residuals below the limit; the mask covers the patch
// and stops within the window and growth around it, on any number of threads.
TEST(OutlierMaskTest, MarksACoherentPatchAndNotTheNoiseAroundIt) {
    constexpr float kLimit = 2.0F;
    constexpr int32_t kTop = 30, kLeft = 40, kSize = 12;
    FloatPlane residual(96, 104);
    for (int32_t v = 0; v < residual.rows; ++v) {
        for (int32_t u = 0; u < residual.cols; ++u) {
            const bool inPatch = v >= kTop && v < kTop + kSize && u >= kLeft && u < kLeft + kSize;
            residual.Row(v)[u] = inPatch ? 1.3F * kLimit : ((u + v) % 2 ? 0.9F : -0.9F) * kLimit;
        }
    }
    std::vector<uint8_t> reference;
    for (const int threads : {1, 2, 3}) {
        SetEngineThreadCount(threads);
        std::vector<uint8_t> mask;
        MarkCoherentOutliers(residual, kLimit, mask);
        for (int32_t v = 0; v < residual.rows; ++v) {
            for (int32_t u = 0; u < residual.cols; ++u) {
                const bool inPatch =
                    v >= kTop && v < kTop + kSize && u >= kLeft && u < kLeft + kSize;
                const bool farFromPatch = v < kTop - 5 || v >= kTop + kSize + 5 || u < kLeft - 5 ||
                                          u >= kLeft + kSize + 5;
                const uint8_t m = mask[static_cast<size_t>(v) * residual.cols + u];
                if (inPatch) {
                    ASSERT_EQ(m, 1) << "row " << v << " column " << u;
                } else if (farFromPatch) {
                    ASSERT_EQ(m, 0) << "row " << v << " column " << u;
                }
            }
        }
        if (reference.empty()) {
            reference = mask;
        }
        EXPECT_EQ(mask, reference) << threads << " threads";
    }
    SetEngineThreadCount(0);
}

}  // namespace
}  // namespace lumivex::recon
