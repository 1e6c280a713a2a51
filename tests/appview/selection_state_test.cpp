#include "app/core/selection_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumivex {
namespace {

// Stands in for the page: sliders that report every programmatic move back to the rules, as a
// toolkit slider does when its signals are not blocked.
class FakePage : public SelectionHost {
public:
    explicit FakePage(int sliderCount) : sliders(sliderCount, 0) {}

    void PrepareSliders(int32_t minimum, int32_t maximum, int32_t pageSize) override {
        ++prepareCount;
        sliderMinimum = minimum;
        sliderMaximum = maximum;
        sliderPage = pageSize;
    }
    void SetSliderPositions(int32_t position) override {
        for (int32_t& slider : sliders) {
            slider = position;
            if (state != nullptr) {
                state->PositionChanged(position);  // the echo the guard must swallow
            }
        }
    }
    void ShowFrame(int32_t index) override { shown.push_back(index); }
    void SetStatusText(const std::string& text) override { status = text; }

    SelectionState* state = nullptr;
    std::vector<int32_t> sliders;
    int prepareCount = 0;
    int32_t sliderMinimum = -1;
    int32_t sliderMaximum = -1;
    int32_t sliderPage = -1;
    std::vector<int32_t> shown;
    std::string status = "untouched";
};

class Selection : public ::testing::Test {
protected:
    // A freshly loaded set: input kind 1, reference index as the job reset left it.
    void Load(int32_t count, int32_t reference = -1) {
        frameCount = count;
        referenceIndex = reference;
        inputKind = kInputImageSet;
    }

    int32_t inputKind = 0;
    int32_t referenceIndex = -1;
    int32_t frameCount = 0;
    FakePage page{2};
    SelectionState state{{&inputKind, &referenceIndex, [this] { return frameCount; }}, page};

    void SetUp() override { page.state = &state; }
};

TEST_F(Selection, ShowingAFreshSetPreparesOnTheFirstImage) {
    Load(3);
    state.Show();
    EXPECT_TRUE(state.Bound());
    EXPECT_EQ(inputKind, kInputImageSetSelection);
    EXPECT_EQ(page.prepareCount, 1);
    EXPECT_EQ(page.sliderMinimum, 0);
    EXPECT_EQ(page.sliderMaximum, 2);
    EXPECT_EQ(page.sliderPage, 1);
    EXPECT_EQ(referenceIndex, 0);  // -1 clamped
    EXPECT_EQ(page.shown, (std::vector<int32_t>{0}));
    EXPECT_EQ(page.status, "Image 1 of 3");
    // Both sliders follow, and the echoes from the second slider did not run the change again.
    EXPECT_EQ(page.sliders, (std::vector<int32_t>{-1, -1}));
}

TEST_F(Selection, PreviousAndNextStopAtTheEnds) {
    Load(3);
    state.Show();
    state.Previous();  // on the first image: nothing
    EXPECT_EQ(referenceIndex, 0);
    state.Next();
    state.Next();
    EXPECT_EQ(referenceIndex, 2);
    EXPECT_EQ(page.status, "Image 3 of 3");
    EXPECT_EQ(page.sliders, (std::vector<int32_t>{2, 2}));
    state.Next();  // on the last image: nothing, no wrap-around
    EXPECT_EQ(referenceIndex, 2);
    state.Previous();
    EXPECT_EQ(page.shown, (std::vector<int32_t>{0, 1, 2, 1}));
    EXPECT_EQ(page.status, "Image 2 of 3");
}

TEST_F(Selection, SetOfOneImage) {
    Load(1);
    state.Show();
    EXPECT_EQ(page.status, "Image 1 of 1");
    EXPECT_EQ(page.sliderMaximum, 0);
    state.Next();
    state.Previous();
    EXPECT_EQ(referenceIndex, 0);
    EXPECT_EQ(page.shown, (std::vector<int32_t>{0}));
}

TEST_F(Selection, UserDragsAreClampedToTheSet) {
    Load(4);
    state.Show();
    state.PositionChanged(9);
    EXPECT_EQ(referenceIndex, 3);
    EXPECT_EQ(page.status, "Image 4 of 4");
    state.PositionChanged(-5);
    EXPECT_EQ(referenceIndex, 0);
    EXPECT_EQ(page.shown, (std::vector<int32_t>{0, 3, 0}));
}

TEST_F(Selection, KeysReachTheBoundPageWhileAnotherStepIsShown) {
    Load(3);
    state.Next();  // not bound yet: the reference stays where the job reset left it
    EXPECT_EQ(referenceIndex, -1);
    EXPECT_TRUE(page.shown.empty());
    state.Show();
    state.Hide();
    EXPECT_EQ(page.status, "");
    state.Next();
    EXPECT_EQ(referenceIndex, 1);
    EXPECT_EQ(page.shown, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(page.status, "");  // the pane belongs to the step on screen
}

TEST_F(Selection, ReturningKeepsTheReferenceAndNewMediaPreparesAgain) {
    Load(5);
    state.Show();
    state.Next();
    state.Next();
    state.Hide();
    state.Show();
    EXPECT_EQ(page.prepareCount, 1);
    EXPECT_EQ(referenceIndex, 2);
    EXPECT_EQ(page.status, "Image 3 of 5");
    EXPECT_EQ(page.shown.size(), 3u);

    state.Hide();
    Load(2);  // new media: the job was reset and the set loaded again
    state.Show();
    EXPECT_EQ(page.prepareCount, 2);
    EXPECT_EQ(page.sliderMaximum, 1);
    EXPECT_EQ(referenceIndex, 0);
    EXPECT_EQ(page.status, "Image 1 of 2");
}

TEST_F(Selection, EmptySetShowsNothing) {
    Load(0);
    state.Show();
    EXPECT_EQ(referenceIndex, 0);
    EXPECT_TRUE(page.shown.empty());
    EXPECT_EQ(page.status, "Image 0 of 0");
    state.Next();
    state.Previous();
    EXPECT_EQ(referenceIndex, 0);
}

TEST(SelectionText, CountsFromOne) {
    EXPECT_EQ(ImageStatusText(0, 7), "Image 1 of 7");
    EXPECT_EQ(ImageStatusText(6, 7), "Image 7 of 7");
    EXPECT_EQ(ImageStatusText(-1, 0), "Image 0 of 0");
}

}  // namespace
}  // namespace lumivex
