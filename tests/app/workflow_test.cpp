#include "app/core/workflow.h"

#include <gtest/gtest.h>

#include "app/core/command_ids.h"
#include "job/job.h"

namespace lumivex {
namespace {

using namespace command;

TEST(WorkflowTest, StartsOnStartAndMovesOnlyToKnownSteps) {
    Workflow workflow;
    EXPECT_EQ(workflow.CurrentStep(), "Start");
    EXPECT_TRUE(workflow.SetStep("Selection"));
    EXPECT_EQ(workflow.CurrentStep(), "Selection");
    // Names are compared exactly: no page, no change.
    EXPECT_FALSE(workflow.SetStep("selection"));
    EXPECT_FALSE(workflow.SetStep("Result"));
    EXPECT_FALSE(workflow.SetStep(""));
    EXPECT_EQ(workflow.CurrentStep(), "Selection");
}

TEST(WorkflowTest, EachStepShowsItsOwnToolbar) {
    EXPECT_EQ(ToolbarForStep("Start"), 0);
    EXPECT_EQ(ToolbarForStep("Video"), 129);
    EXPECT_EQ(ToolbarForStep("Selection"), 140);
    EXPECT_EQ(ToolbarForStep("Enhance"), 141);
    EXPECT_EQ(ToolbarForStep("Elsewhere"), 0);
}

TEST(WorkflowTest, ViewEnhancedImageTwiceGoesToEnhanceAndBack) {
    for (int32_t kind : {kInputImageSet, kInputImageSetSelection}) {
        std::string there = ViewToggleTarget("Selection", kind);
        EXPECT_EQ(there, "Enhance");
        EXPECT_EQ(ViewToggleTarget(there, kind), "Selection");
    }
    for (int32_t kind : {kInputNone, kInputVideoChosen, kInputVideoOpen, kInputVideoGathered}) {
        std::string there = ViewToggleTarget("Video", kind);
        EXPECT_EQ(there, "Enhance");
        EXPECT_EQ(ViewToggleTarget(there, kind), "Video") << kind;
    }
    // From the welcome page the toggle also goes to the result first.
    EXPECT_EQ(ViewToggleTarget("Start", kInputImageSet), "Enhance");
}

struct Expectation {
    const char* step;
    int32_t inputKind;
    bool resultEmpty;
    int commandId;
    bool enabled;
    bool checked;
};

class CommandEnablingTest : public ::testing::TestWithParam<Expectation> {};

TEST_P(CommandEnablingTest, FollowsTheRuleOfItsStepAndInput) {
    const Expectation& e = GetParam();
    WorkflowFacts facts;
    facts.step = e.step;
    facts.inputKind = e.inputKind;
    facts.resultEmpty = e.resultEmpty;
    std::optional<CommandState> state = MainWindowCommandState(e.commandId, facts);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->enabled, e.enabled);
    EXPECT_EQ(state->checked, e.checked);
}

INSTANTIATE_TEST_SUITE_P(
    StateTable, CommandEnablingTest,
    ::testing::Values(
        // Open media, Exit, Help, web site and About: always.
        Expectation{"Start", kInputNone, true, kOpenMedia, true, false},
        Expectation{"Enhance", kInputVideoGathered, false, kOpenMedia, true, false},
        Expectation{"Start", kInputNone, true, kExit, true, false},
        Expectation{"Video", kInputVideoOpen, true, kHelp, true, false},
        Expectation{"Selection", kInputImageSet, true, kVisitWebSite, true, false},
        Expectation{"Start", kInputNone, true, kAbout, true, false},
        // Save: a result, and only on "Enhance".
        Expectation{"Enhance", kInputImageSetSelection, false, kSaveEnhancedImage, true, false},
        Expectation{"Enhance", kInputImageSetSelection, true, kSaveEnhancedImage, false, false},
        Expectation{"Selection", kInputImageSetSelection, false, kSaveEnhancedImage, false, false},
        // Close media: any media.
        Expectation{"Start", kInputNone, true, kCloseMedia, false, false},
        Expectation{"Start", kInputVideoChosen, true, kCloseMedia, true, false},
        Expectation{"Selection", kInputImageSet, true, kCloseMedia, true, false},
        // View enhanced image: needs a result; pressed on "Enhance".
        Expectation{"Selection", kInputImageSet, true, kViewEnhancedImage, false, false},
        Expectation{"Selection", kInputImageSet, false, kViewEnhancedImage, true, false},
        Expectation{"Enhance", kInputImageSet, false, kViewEnhancedImage, true, true},
        // An empty result after a failed run still shows "Enhance" pressed, but disabled.
        Expectation{"Enhance", kInputImageSet, true, kViewEnhancedImage, false, true},
        // Enhance: media, and the step "Video" or "Selection".
        Expectation{"Video", kInputVideoOpen, true, kEnhance, true, false},
        Expectation{"Video", kInputVideoGathered, false, kEnhance, true, false},
        Expectation{"Selection", kInputImageSet, true, kEnhance, true, false},
        Expectation{"Selection", kInputNone, true, kEnhance, false, false},
        Expectation{"Enhance", kInputImageSet, false, kEnhance, false, false},
        Expectation{"Start", kInputVideoChosen, true, kEnhance, false, false},
        // The step toolbars' toggles: only on their own step.
        Expectation{"Video", kInputVideoOpen, true, kToggleVideoBar, true, false},
        Expectation{"Selection", kInputVideoOpen, true, kToggleVideoBar, false, false},
        Expectation{"Selection", kInputImageSet, true, kToggleImageBar, true, false},
        Expectation{"Enhance", kInputImageSet, true, kToggleImageBar, false, false},
        Expectation{"Enhance", kInputImageSet, true, kToggleResultBar, true, false},
        Expectation{"Start", kInputNone, true, kToggleResultBar, false, false},
        // The reference sliders: only on their step.
        Expectation{"Video", kInputVideoOpen, true, kVideoReferenceSlider, true, false},
        Expectation{"Enhance", kInputVideoOpen, false, kVideoReferenceSlider, false, false},
        Expectation{"Selection", kInputImageSet, true, kImageReferenceSlider, true, false},
        Expectation{"Video", kInputVideoOpen, true, kImageReferenceSlider, false, false}));

TEST(WorkflowTest, BarTogglesArePressedWhileTheirBarIsVisible) {
    WorkflowFacts facts;
    facts.step = "Selection";
    facts.imageBarVisible = true;
    facts.standardBarVisible = false;
    facts.statusBarVisible = true;
    EXPECT_TRUE(MainWindowCommandState(kToggleImageBar, facts)->checked);
    EXPECT_FALSE(MainWindowCommandState(kToggleStandardBar, facts)->checked);
    EXPECT_TRUE(MainWindowCommandState(kToggleStandardBar, facts)->enabled);
    EXPECT_TRUE(MainWindowCommandState(kToggleStatusBar, facts)->checked);
    facts.imageBarVisible = false;
    EXPECT_FALSE(MainWindowCommandState(kToggleImageBar, facts)->checked);
}

TEST(WorkflowTest, PageCommandsAreLeftToThePages) {
    WorkflowFacts facts;
    for (int id : {kPlay, kPause, kStepBackward, kStepForward, kZoomTool, kHandTool, kPreviousImage,
                   kNextImage, kExtractVideoFrames, 12345}) {
        EXPECT_FALSE(MainWindowCommandState(id, facts).has_value()) << id;
    }
}

}  // namespace
}  // namespace lumivex
