#include "job/job.h"

#include <gtest/gtest.h>

#include <optional>

#include "profiles/profile_list.h"
#include "test_frames.h"

namespace lumivex {
namespace {

using testing_frames::FillJob;

TEST(EnhanceJobTest, ResetRestoresEveryFieldButTheVideoPath) {
    EnhanceJob job;
    FillJob(job, 2, 64, 48);
    job.result.Allocate(8, 8, 24);
    job.verticalFactor = 0.75;
    job.mediaFactor = 0.5;
    job.profileIndex = 3;
    job.params.WriteInt("resolution", "scale", 2);
    job.interlaced = true;
    job.resultReady = true;
    job.videoPath = "/videos/clip.avi";
    job.progress.status = -100;
    job.progress.cancel = true;

    job.Reset();
    EXPECT_EQ(job.FrameCount(), 0);
    EXPECT_TRUE(job.names.empty());
    EXPECT_TRUE(job.result.IsEmpty());
    EXPECT_EQ(job.verticalFactor, 1.0);
    EXPECT_EQ(job.mediaFactor, 1.0);
    EXPECT_EQ(job.width, -1);
    EXPECT_EQ(job.height, -1);
    EXPECT_EQ(job.referenceIndex, -1);
    EXPECT_EQ(job.profileIndex, 0);
    EXPECT_TRUE(job.params.Sections().empty());
    EXPECT_FALSE(job.interlaced);
    EXPECT_FALSE(job.resultReady);
    EXPECT_EQ(job.inputKind, kInputNone);
    EXPECT_EQ(job.progress.status, 0);
    EXPECT_FALSE(job.progress.cancel);
    EXPECT_EQ(job.videoPath, "/videos/clip.avi");
}

TEST(EnhanceJobTest, OutputSizeUsesTheFullFrameHeightAndTheVerticalFactor) {
    EnhanceJob job;
    FillJob(job, 1, 640, 480);
    EnhanceParams params;
    EXPECT_EQ(ComputeOutputSize(job, params), (OutputSize{1280, 960}));
    job.interlaced = true;
    EXPECT_EQ(ComputeOutputSize(job, params), (OutputSize{1280, 960}));
    params.LoadFromText("[resolution]\nscale = 1\n");
    job.verticalFactor = 0.75;
    EXPECT_EQ(ComputeOutputSize(job, params), (OutputSize{640, 360}));
}

TEST(EnhanceJobTest, EngineInputOfInterlacedJobsCountsFields) {
    EnhanceJob job;
    FillJob(job, 5, 64, 7);
    job.referenceIndex = 3;
    EngineInput input = EngineInputOf(job);
    EXPECT_EQ(input.count, 5);
    EXPECT_EQ(input.height, 7);
    EXPECT_EQ(input.reference, 3);
    std::vector<uint8_t*> pointers = BuildFramePointers(job);
    ASSERT_EQ(pointers.size(), 5u);
    EXPECT_EQ(pointers[4], job.frames[4]->Bits());

    job.interlaced = true;
    input = EngineInputOf(job);
    EXPECT_EQ(input.count, 10);
    EXPECT_EQ(input.height, 3);
    EXPECT_EQ(input.reference, 6);
    pointers = BuildFramePointers(job);
    ASSERT_EQ(pointers.size(), 10u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pointers[2 * i], job.frames[i]->Bits());
        // An odd height: the second field still starts on a whole row (stored row 3).
        EXPECT_EQ(pointers[2 * i + 1], job.frames[i]->Bits() + 3 * job.frames[i]->Stride());
    }
}

TEST(EnhanceJobTest, RefusalsComeBeforeTheRun) {
    EnhanceJob job;
    EXPECT_EQ(EnhancementRefusal(job, OutputSize{64, 64}), "Error! No input images available!!");

    FillJob(job, 3, 640, 480);
    EXPECT_EQ(EnhancementRefusal(job, OutputSize{1280, 960}), "");
    // 9240 x 9240 x 3 bytes is beyond the 256,000,000-byte picture limit; 9236 x 9236 is not.
    EXPECT_NE(EnhancementRefusal(job, OutputSize{9240, 9240}).find("too large"), std::string::npos);
    EXPECT_EQ(EnhancementRefusal(job, OutputSize{9236, 9236}), "");

    FillJob(job, 2, testing_frames::MinWidth() - 4, MinRegistrationHeight());
    EXPECT_NE(EnhancementRefusal(job, OutputSize{400, 400}).find("too small"), std::string::npos);
    // One frame needs no registration.
    job.frames.pop_back();
    job.names.pop_back();
    EXPECT_EQ(EnhancementRefusal(job, OutputSize{400, 400}), "");
    // A single interlaced frame is two fields, each half as high.
    FillJob(job, 1, testing_frames::MinWidth(), MinRegistrationHeight());
    EXPECT_EQ(EnhancementRefusal(job, OutputSize{400, 400}), "");
    job.interlaced = true;
    EXPECT_NE(EnhancementRefusal(job, OutputSize{400, 400}).find("per field"), std::string::npos);

    // A frame that breaks the set's layout is caught instead of being read out of bounds.
    FillJob(job, 2, 64, 48);
    job.frames[1] = testing_frames::MakeSceneFrame(64, 40, 0, 0);
    EXPECT_NE(EnhancementRefusal(job, OutputSize{128, 96}), "");
}

TEST(EnhanceJobTest, LoadJobProfileFallsBackToAnEmptyProfile) {
    EnhanceJob job;
    ProfileList profiles;
    job.params.WriteInt("resolution", "scale", 3);
    job.profileIndex = 2;
    EXPECT_FALSE(LoadJobProfile(job, profiles));
    EXPECT_TRUE(job.params.Sections().empty());
    profiles.Add("/nonexistent/profile.ini");
    job.profileIndex = 0;
    EXPECT_FALSE(LoadJobProfile(job, profiles));
    EXPECT_TRUE(job.params.Sections().empty());
}

TEST(EnhanceJobTest, TheProfileChoosesTheReconstructionMethod) {
    const struct {
        const char* text;
        ReconstructionMethod method;
        bool warns;
    } cases[] = {
        {"[resolution]\nscale = 2\n", ReconstructionMethod::kStandard, false},
        {"[reconstruction]\nmethod = quality\n", ReconstructionMethod::kQuality, false},
        {"[Reconstruction]\nMethod =  Quality \n", ReconstructionMethod::kQuality, false},
        {"[reconstruction]\nmethod = standard\n", ReconstructionMethod::kStandard, false},
        {"[reconstruction]\nmethod = best\n", ReconstructionMethod::kStandard, true},
        {"[resolution]\nmethod = quality\n", ReconstructionMethod::kStandard, false},
    };
    for (const auto& c : cases) {
        EnhanceParams params;
        params.LoadFromText(c.text);
        std::string warning = "stale";
        EXPECT_EQ(ReconstructionMethodOf(params, &warning), c.method) << c.text;
        EXPECT_EQ(warning.find("\"best\"") != std::string::npos, c.warns) << c.text;
        EXPECT_EQ(warning.empty(), !c.warns) << c.text;
    }
}

TEST(EnhanceJobTest, TheProfileGivesTheOpticalBlur) {
    const struct {
        const char* text;
        std::optional<double> blur;  // none: estimated
        bool warns;
    } cases[] = {
        {"[resolution]\nscale = 2\n", 0.0, false},
        {"[reconstruction]\nblur = 0.4\n", 0.4, false},
        {"[reconstruction]\nblur = 2\n", 2.0, false},
        {"[Reconstruction]\nBlur =  Auto \n", std::nullopt, false},
        {"[reconstruction]\nblur = 2.5\n", 0.0, true},
        {"[reconstruction]\nblur = -0.1\n", 0.0, true},
        {"[reconstruction]\nblur = soft\n", 0.0, true},
    };
    for (const auto& c : cases) {
        EnhanceParams params;
        params.LoadFromText(c.text);
        std::string warning = "stale";
        EXPECT_EQ(OpticalBlurOf(params, &warning), c.blur) << c.text;
        EXPECT_EQ(!warning.empty(), c.warns) << c.text << warning;
    }
}

TEST(EnhanceJobTest, LoadJobProfileSetsTheMethodFromTheFile) {
    const std::string path = testing::TempDir() + "/quality profile.ini";
    EnhanceParams saved;
    saved.LoadFromText(
        "[resolution]\nscale = 2\n[reconstruction]\nmethod = quality\nblur = auto\n");
    ASSERT_TRUE(saved.Save(path));
    ProfileList profiles;
    profiles.Add(path);
    EnhanceJob job;
    ASSERT_TRUE(LoadJobProfile(job, profiles));
    EXPECT_EQ(job.method, ReconstructionMethod::kQuality);
    EXPECT_FALSE(job.blurSigma.has_value());
    // A missing profile is the standard engine again.
    job.profileIndex = 1;
    EXPECT_FALSE(LoadJobProfile(job, profiles));
    EXPECT_EQ(job.method, ReconstructionMethod::kStandard);
    // The user's choice beside the profile wins over the profile's key, until the next media.
    job.chosenMethod = ReconstructionMethod::kQuality;
    EXPECT_FALSE(LoadJobProfile(job, profiles));
    EXPECT_EQ(job.method, ReconstructionMethod::kQuality);
    job.profileIndex = 0;
    job.chosenMethod = ReconstructionMethod::kStandard;
    ASSERT_TRUE(LoadJobProfile(job, profiles));
    EXPECT_EQ(job.method, ReconstructionMethod::kStandard);
    job.blurSigma = 1.0;
    job.Reset();
    EXPECT_EQ(job.blurSigma, 0.0);
    EXPECT_EQ(job.method, ReconstructionMethod::kStandard);
    EXPECT_FALSE(job.chosenMethod.has_value());
}

}  // namespace
}  // namespace lumivex
