// The profile selection without widgets: listing with output sizes, alphabetical order with the
// list's own indexes, the aspect choices and typed ratios, OK and Cancel.
#include "app/core/profile_dialog_model.h"

#include <gtest/gtest.h>

#include "enhance_test_support.h"

namespace lumivex {
namespace {

using testing_support::FillJob;
using testing_support::TempFolder;

class ProfileDialogModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillJob(job_, 640, 480, 2);
        profiles_.Add(folder_.WriteProfile("Default enhancement", "[resolution]\nscale = 1\n"));
    }

    std::string SizeOfRow(const ProfileDialogModel& model, int row) const {
        const OutputSize size = model.Rows().at(static_cast<std::size_t>(row)).size;
        return std::to_string(size.width) + "x" + std::to_string(size.height);
    }

    TempFolder folder_;
    EnhanceJob job_;
    ProfileList profiles_;
};

TEST_F(ProfileDialogModelTest, AspectChoicesOfAStillPictureSet) {
    ProfileDialogModel model(job_, profiles_);
    ASSERT_EQ(model.Rows().size(), 1u);
    EXPECT_EQ(model.Rows()[0].text, "Default enhancement\n Output resolution: 640x480");
    EXPECT_EQ(model.AspectItem(), 0);  // "Automatic"

    model.ChooseAspectItem(3);  // "16 : 9"
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 0.75);
    EXPECT_EQ(SizeOfRow(model, 0), "640x360");

    model.ChooseAspectItem(1);  // "4 : 3"
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 1.0);
    EXPECT_EQ(SizeOfRow(model, 0), "640x480");

    model.ChooseAspectItem(2);  // "1 : 1"
    EXPECT_EQ(SizeOfRow(model, 0), "640x640");
}

TEST_F(ProfileDialogModelTest, TypedRatiosListAtOnceAndUnusableTextChangesNothing) {
    ProfileDialogModel model(job_, profiles_);
    model.EditAspectText("2:1");
    EXPECT_EQ(model.AspectItem(), -1);
    EXPECT_EQ(SizeOfRow(model, 0), "640x320");
    const double twoToOne = job_.verticalFactor;

    for (const char* text : {"0:1", "1:0", "wide", "Automatic", ""}) {
        model.EditAspectText(text);
        EXPECT_EQ(job_.verticalFactor, twoToOne) << text;
        EXPECT_EQ(SizeOfRow(model, 0), "640x320") << text;
    }
    model.EditAspectText("2.35:1");
    EXPECT_NEAR(job_.verticalFactor, 1.0 / 2.35 * 640.0 / 480.0, 1e-12);
}

TEST_F(ProfileDialogModelTest, AutomaticRestoresTheMediaFactor) {
    job_.mediaFactor = 1.125;  // a video with non-square pixels
    ProfileDialogModel model(job_, profiles_);
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 1.125);  // opening applies the "Automatic" it shows
    EXPECT_EQ(SizeOfRow(model, 0), "640x540");
    model.ChooseAspectItem(3);
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 0.75);
    model.ChooseAspectItem(0);
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 1.125);
    EXPECT_EQ(SizeOfRow(model, 0), "640x540");
}

TEST_F(ProfileDialogModelTest, CancelKeepsTheFactorButNotTheProfile) {
    profiles_.Add(folder_.WriteProfile("Big", "[resolution]\nscale = 3\n"));
    job_.profileIndex = 0;
    {
        ProfileDialogModel model(job_, profiles_);
        model.ChooseAspectItem(3);
        model.SelectRow(0);  // "Big"
        // Cancel: the dialog goes away without Accept.
    }
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 0.75);
    EXPECT_EQ(job_.profileIndex, 0);

    // Opened again: "Automatic" is shown, and the sizes listed are the ones OK gives.
    ProfileDialogModel again(job_, profiles_);
    EXPECT_EQ(again.AspectItem(), 0);
    EXPECT_EQ(SizeOfRow(again, again.SelectedRow()), "640x480");
    again.Accept();
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 1.0);
}

TEST_F(ProfileDialogModelTest, SortedByNameWhileTheIndexPointsIntoTheList) {
    profiles_.Clear();
    profiles_.Add(folder_.WriteProfile("zoom", "[resolution]\nscale = 3\n"));
    profiles_.Add(folder_.WriteProfile("Archive", "[resolution]\nscale = 2\n"));
    profiles_.Add(folder_.WriteProfile("middle", "[resolution]\nmaxwidth = 1920\n"));
    job_.profileIndex = 2;

    ProfileDialogModel model(job_, profiles_);
    ASSERT_EQ(model.Rows().size(), 3u);
    EXPECT_EQ(model.Rows()[0].name, "Archive");
    EXPECT_EQ(model.Rows()[1].name, "middle");
    EXPECT_EQ(model.Rows()[2].name, "zoom");
    EXPECT_EQ(model.SelectedRow(), 1);  // the job's profile

    model.SelectRow(0);
    model.ChooseAspectItem(3);  // re-listing keeps the position
    EXPECT_EQ(model.SelectedRow(), 0);
    model.Accept();
    EXPECT_EQ(job_.profileIndex, 1);  // "Archive" is the list's second entry
}

TEST_F(ProfileDialogModelTest, OkWithoutASelectionChoosesTheFirstProfile) {
    profiles_.Add(folder_.WriteProfile("Other", "[resolution]\nscale = 2\n"));
    job_.profileIndex = 1;
    ProfileDialogModel model(job_, profiles_);
    // With a usable aspect choice OK lists again, which selects the job's profile.
    model.SelectRow(-1);
    model.Accept();
    EXPECT_EQ(job_.profileIndex, 1);
    // Unusable typed text lists nothing, so nothing is selected.
    model.EditAspectText("wide");
    model.SelectRow(-1);
    model.Accept();
    EXPECT_EQ(job_.profileIndex, 0);
}

TEST_F(ProfileDialogModelTest, UnreadableProfileListsTwiceTheInput) {
    profiles_.Add(folder_.File("missing.ini"));
    ProfileDialogModel model(job_, profiles_);
    ASSERT_EQ(model.Rows().size(), 2u);
    EXPECT_EQ(model.Rows()[1].name, "missing");
    EXPECT_EQ(SizeOfRow(model, 1), "1280x960");
}

TEST_F(ProfileDialogModelTest, TheQualityBoxFollowsTheProfileAndIsStoredOnOk) {
    profiles_.Add(folder_.WriteProfile("Sharp", "[reconstruction]\nmethod = quality\n"));
    ProfileDialogModel model(job_, profiles_);
    EXPECT_FALSE(model.HighQuality());  // row 0, "Default enhancement"
    model.SelectRow(1);
    EXPECT_TRUE(model.HighQuality());
    model.SetHighQuality(false);
    model.Accept();
    EXPECT_EQ(job_.profileIndex, 1);
    EXPECT_EQ(job_.chosenMethod, ReconstructionMethod::kStandard);

    // The next opening shows the stored choice, not the profile's.
    ProfileDialogModel again(job_, profiles_);
    EXPECT_FALSE(again.HighQuality());
    again.SelectRow(0);
    again.SetHighQuality(true);
    again.Accept();
    EXPECT_EQ(job_.chosenMethod, ReconstructionMethod::kQuality);
}

}  // namespace
}  // namespace lumivex
