#include "video/enhance_frames.h"

#include <gtest/gtest.h>

#include "tests/video/video_fixtures.h"
#include "video/debug_message.h"
#include "video/test_video_writer.h"

namespace lumivex::video {
namespace {

int32_t PictureOf(const RgbImage& frame) {
    // The frames are split into fields: the first field (stored rows 0 ... h/2 - 1) is the
    // picture at half height.
    return ReadTestPicture(frame.Bits(), frame.Width(), frame.Height() / 2, frame.Stride());
}

void OpenVideo(EnhanceJob& job, const std::string& path) {
    job.videoPath = path;
    job.inputKind = kInputVideoOpen;
}

TEST(EnhanceFrames, FiveFieldSplitFramesAroundPositionTen) {
    EnhanceJob job;
    OpenVideo(job, testing::Mpeg2InterlacedVideo());
    CollectingMessageSink messages;
    ASSERT_TRUE(GatherFramesIntoJob(job, 10, TimeFormat::kFrames, messages));
    ASSERT_EQ(job.FrameCount(), 5);
    EXPECT_EQ(job.names,
              (std::vector<std::string>{"Frame 0", "Frame 1", "Frame 2", "Frame 3", "Frame 4"}));
    EXPECT_EQ(job.referenceIndex, 2);
    EXPECT_TRUE(job.interlaced);
    EXPECT_EQ(job.inputKind, kInputVideoGathered);
    EXPECT_EQ(job.width, 720);
    EXPECT_EQ(job.height, 576);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(job.frames[i]->Height(), 576);
        EXPECT_EQ(PictureOf(*job.frames[i]), 8 + i);
    }
    const EngineInput input = EngineInputOf(job);
    EXPECT_EQ(input.count, 10);
    EXPECT_EQ(input.height, 288);
    EXPECT_EQ(input.reference, 4);
}

TEST(EnhanceFrames, PositionsZeroAndOneStartAtTheFirstPosition) {
    for (int64_t position : {0, 1}) {
        EnhanceJob job;
        OpenVideo(job, testing::Mpeg4Video());
        CollectingMessageSink messages;
        ASSERT_TRUE(GatherFramesIntoJob(job, position, TimeFormat::kFrames, messages));
        EXPECT_EQ(job.referenceIndex, 0);
        EXPECT_EQ(PictureOf(*job.frames[0]), 1);
        EXPECT_EQ(PictureOf(*job.frames[4]), 5);
    }
}

TEST(EnhanceFrames, WidthIsCutToAMultipleOfFour) {
    const std::string path = testing::MakeVideo(
        "350x240.avi", {TestVideoKind::kMjpegAvi, 350, 240, 25, CountingPictures(20)});
    EnhanceJob job;
    OpenVideo(job, path);
    CollectingMessageSink messages;
    ASSERT_TRUE(GatherFramesIntoJob(job, 10, TimeFormat::kFrames, messages));
    EXPECT_EQ(job.width, 348);
    EXPECT_EQ(job.frames[0]->Width(), 348);
    EXPECT_EQ(job.FrameCount(), 5);
}

TEST(EnhanceFrames, StillSequenceGivesOneFrame) {
    const std::string path = testing::MakeVideo(
        "still-enhance.avi", {TestVideoKind::kMjpegAvi, 128, 112, 25, std::vector<int32_t>(30, 5)});
    EnhanceJob job;
    OpenVideo(job, path);
    CollectingMessageSink messages;
    ASSERT_TRUE(GatherFramesIntoJob(job, 10, TimeFormat::kFrames, messages));
    EXPECT_EQ(job.FrameCount(), 1);
    EXPECT_EQ(job.referenceIndex, 0);
    EXPECT_EQ(EngineInputOf(job).count, 2);
}

// Gathering again replaces the frames; a failed gathering leaves the job as it was.
TEST(EnhanceFrames, RegatheringReplacesAndFailureKeepsTheJob) {
    EnhanceJob job;
    OpenVideo(job, testing::MjpegVideo());
    CollectingMessageSink messages;
    ASSERT_TRUE(GatherFramesIntoJob(job, 10, TimeFormat::kFrames, messages));
    ASSERT_TRUE(GatherFramesIntoJob(job, 20, TimeFormat::kFrames, messages));
    EXPECT_EQ(job.FrameCount(), 5);
    EXPECT_EQ(PictureOf(*job.frames[2]), 20);

    job.videoPath = std::string(LUMIVEX_TEST_DATA) + "/video/b_audio_only.mpg";
    job.inputKind = kInputVideoOpen;
    EXPECT_FALSE(GatherFramesIntoJob(job, 10, TimeFormat::kFrames, messages));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], kCannotExtractText);
    EXPECT_EQ(job.FrameCount(), 5);
    EXPECT_EQ(job.inputKind, kInputVideoOpen);
}

TEST(EnhanceFrames, CommandLineLoadsAndGathersAroundTheMiddle) {
    EnhanceJob job;
    CollectingMessageSink messages;
    ASSERT_TRUE(GatherVideoFramesIntoJob(job, testing::Mpeg1Video(), {}, messages));
    EXPECT_EQ(PictureOf(*job.frames[job.referenceIndex]), 20);  // 40 frames: the middle is 20
    ASSERT_TRUE(GatherVideoFramesIntoJob(job, testing::Mpeg1Video(), {7}, messages));
    EXPECT_EQ(PictureOf(*job.frames[job.referenceIndex]), 7);
    EXPECT_TRUE(messages.messages.empty());

    EXPECT_FALSE(GatherVideoFramesIntoJob(job, testing::ScratchFolder(), {7}, messages));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "cannot be opened (is a directory)");
}

}  // namespace
}  // namespace lumivex::video
