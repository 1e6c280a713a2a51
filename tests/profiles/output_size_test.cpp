#include "profiles/output_size.h"

#include <gtest/gtest.h>

#include "profiles/enhance_params.h"

namespace lumivex {
namespace {

OutputSize SizeFor(const std::string& profile, int32_t width, int32_t height,
                   double verticalFactor = 1.0) {
    EnhanceParams params;
    params.LoadFromText(profile);
    return ComputeOutputSize(width, height, verticalFactor, params);
}

TEST(OutputSizeTest, ScaleRule) {
    EXPECT_EQ(SizeFor("[resolution]\nscale = 1.5\n", 640, 480), (OutputSize{960, 720}));
    EXPECT_EQ(SizeFor("[resolution]\nscale = 1\n", 640, 480), (OutputSize{640, 480}));
    // 6 x 4, then at least 4 and the width rounded down to a multiple of 4.
    EXPECT_EQ(SizeFor("[resolution]\nscale = 0.01\n", 640, 480), (OutputSize{4, 4}));
    // Only the width is rounded to a multiple of 4.
    EXPECT_EQ(SizeFor("[resolution]\nscale = 1.3\n", 100, 101), (OutputSize{128, 131}));
}

TEST(OutputSizeTest, WithoutUsableKeysTheOutputIsTwiceTheInput) {
    const char* profiles[] = {"",
                              "[resolution]\n",
                              "[other]\nscale = 3\n",
                              "[resolution]\nscale = 0\n",
                              "[resolution]\nscale = -2\n",
                              "[resolution]\nscale = abc\n",
                              "[resolution]\nmaxwidth = 800\n",
                              "[resolution]\nmaxheight = 600\n",
                              "[resolution]\nmaxwidth = 0\nmaxheight = 600\n",
                              "[resolution]\nmaxwidth 800\nmaxheight = 600\n"};
    for (const char* profile : profiles) {
        EXPECT_EQ(SizeFor(profile, 322, 240), (OutputSize{644, 480})) << profile;
    }
    // 2 x 301 = 602, rounded down to 600.
    EXPECT_EQ(SizeFor("", 301, 200), (OutputSize{600, 400}));
    // A scale too small for a single pixel falls through to the default.
    EXPECT_EQ(SizeFor("[resolution]\nscale = 0.0001\n", 640, 480), (OutputSize{1280, 960}));
}

TEST(OutputSizeTest, BoxIsOrientedLikeTheInputAndFitted) {
    const std::string box = "[resolution]\nmaxwidth = 800\nmaxheight = 600\n";
    EXPECT_EQ(SizeFor(box, 640, 480), (OutputSize{800, 600}));
    EXPECT_EQ(SizeFor(box, 480, 640), (OutputSize{600, 800}));
    EXPECT_EQ(SizeFor(box, 500, 500), (OutputSize{600, 600}));
    // The box given the other way round is oriented the same.
    EXPECT_EQ(SizeFor("[resolution]\nmaxwidth = 600\nmaxheight = 800\n", 640, 480),
              (OutputSize{800, 600}));
    // Quotients 3 and 1: h = 200 * 1920 / 600 = 640.
    EXPECT_EQ(SizeFor("[resolution]\nmaxwidth = 1920\nmaxheight = 1080\n", 600, 200),
              (OutputSize{1920, 640}));
    // Equal truncated quotients (1 and 1) keep the height: w = 1080 * 640 / 480 = 1440.
    EXPECT_EQ(SizeFor("[resolution]\nmaxwidth = 1920\nmaxheight = 1080\n", 640, 480),
              (OutputSize{1440, 1080}));
    // Not proportional: the oriented box as it is.
    EXPECT_EQ(SizeFor(box + "proportional = false\n", 640, 200), (OutputSize{800, 600}));
    EXPECT_EQ(SizeFor(box + "proportional = True\n", 640, 200), (OutputSize{800, 600}));
    EXPECT_EQ(SizeFor(box + "proportional = 1\n", 640, 200), (OutputSize{800, 250}));
    // scale takes precedence over the box.
    EXPECT_EQ(SizeFor(box + "scale = 2\n", 640, 480), (OutputSize{1280, 960}));
}

TEST(OutputSizeTest, VerticalFactorStretchesTheHeight) {
    EXPECT_EQ(SizeFor("[resolution]\nscale = 1\n", 640, 480, 0.75), (OutputSize{640, 360}));
    EXPECT_EQ(SizeFor("", 720, 576, 0.703125), (OutputSize{1440, 810}));
}

TEST(OutputSizeTest, DegenerateInputsStayInRange) {
    EXPECT_EQ(SizeFor("", -1, -1), (OutputSize{4, 4}));
    EXPECT_EQ(SizeFor("", 0, 100, 0.0), (OutputSize{4, 4}));
    // Absurd values never overflow; they give sizes far beyond any picture limit.
    const OutputSize huge = SizeFor("[resolution]\nscale = 1e300\n", 640, 480);
    EXPECT_GT(huge.width, 100000);
    EXPECT_GT(huge.height, 100000);
    EXPECT_EQ(huge.width % 4, 0);
    const OutputSize tall = SizeFor("", 640, 480, 1e300);
    EXPECT_GT(tall.height, 100000);
    const OutputSize box =
        SizeFor("[resolution]\nmaxwidth = 2147483647\nmaxheight = 2147483647\n", 2147483647, 1);
    EXPECT_GT(box.width, 100000);
    EXPECT_GE(box.height, 4);
}

}  // namespace
}  // namespace lumivex
