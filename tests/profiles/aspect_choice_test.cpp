#include "profiles/aspect_choice.h"

#include <gtest/gtest.h>

#include "profiles/enhance_params.h"
#include "profiles/output_size.h"

namespace lumivex {
namespace {

TEST(AspectChoiceTest, NextNumberConsumesNumbersFromTheFront) {
    std::string text = "16 : 9";
    EXPECT_EQ(NextNumber(text), 16.0);
    EXPECT_EQ(NextNumber(text), 9.0);
    EXPECT_EQ(NextNumber(text), 0.0);
    text = "2.35:1";
    EXPECT_EQ(NextNumber(text), 2.35);
    EXPECT_EQ(NextNumber(text), 1.0);
    text = "Automatic";
    EXPECT_EQ(NextNumber(text), 0.0);
    EXPECT_TRUE(text.empty());
    // The run "1,5" is taken whole but converts only up to the comma.
    text = "1,5/2";
    EXPECT_EQ(NextNumber(text), 1.0);
    EXPECT_EQ(text, "/2");
}

TEST(AspectChoiceTest, RatiosBecomeVerticalFactors) {
    EnhanceParams scaleOne;
    scaleOne.WriteInt("resolution", "scale", 1);
    double factor = 1.0;
    ASSERT_TRUE(ApplyAspectChoice(false, "16 : 9", 640, 480, 1.0, factor));
    EXPECT_DOUBLE_EQ(factor, 0.75);
    EXPECT_EQ(ComputeOutputSize(640, 480, factor, scaleOne), (OutputSize{640, 360}));
    ASSERT_TRUE(ApplyAspectChoice(false, "4 : 3", 640, 480, 1.0, factor));
    EXPECT_DOUBLE_EQ(factor, 1.0);
    EXPECT_EQ(ComputeOutputSize(640, 480, factor, scaleOne), (OutputSize{640, 480}));
    ASSERT_TRUE(ApplyAspectChoice(false, "2.35:1", 640, 480, 1.0, factor));
    EXPECT_EQ(ComputeOutputSize(640, 480, factor, scaleOne), (OutputSize{640, 272}));
    ASSERT_TRUE(ApplyAspectChoice(false, "2:1", 640, 480, 1.0, factor));
    EXPECT_EQ(ComputeOutputSize(640, 480, factor, scaleOne), (OutputSize{640, 320}));
}

TEST(AspectChoiceTest, UnusableTextChangesNothing) {
    const char* texts[] = {"0:1", "1:0", "Automatic", "", "abc", "16", ":9", "0,5:1"};
    for (const char* text : texts) {
        double factor = 0.5;
        EXPECT_FALSE(ApplyAspectChoice(false, text, 640, 480, 1.0, factor)) << text;
        EXPECT_EQ(factor, 0.5) << text;
    }
}

TEST(AspectChoiceTest, AutomaticCopiesTheMediaFactor) {
    double factor = 0.75;
    EXPECT_TRUE(ApplyAspectChoice(true, "ignored 16:9", 720, 576, 0.703125, factor));
    EXPECT_EQ(factor, 0.703125);
    EXPECT_EQ(AspectChoices().at(kAutomaticAspectChoice), "Automatic");
    EXPECT_EQ(AspectChoices().size(), 4u);
}

}  // namespace
}  // namespace lumivex
