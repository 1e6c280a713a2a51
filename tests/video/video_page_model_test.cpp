#include "video/video_page_model.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/video/video_fixtures.h"
#include "video/debug_message.h"
#include "video/enhance_frames.h"
#include "video/test_video_writer.h"

namespace lumivex::video {
namespace {

TEST(VideoPageArithmetic, SliderRangeAndPageSize) {
    EXPECT_EQ(SliderRangeFor(250), 250);
    EXPECT_EQ(SliderPageSize(250), 13);
    EXPECT_EQ(SliderRangeFor(90'000), 1000);
    EXPECT_EQ(SliderPageSize(1000), 50);
    EXPECT_EQ(SliderPageSize(9), 2);  // 9 / 20 rounds to 0, which becomes 2
    EXPECT_EQ(SliderPageSize(10), 1);
}

TEST(VideoPageArithmetic, SliderValuesAndPositionsMapBothWays) {
    EXPECT_EQ(SliderValueFor(100, 250, 250), 99);
    EXPECT_EQ(PositionForSlider(99, 250, 250), 100);
    EXPECT_EQ(SliderValueFor(45'000, 90'000, 1000), 499);
    EXPECT_EQ(PositionForSlider(499, 90'000, 1000), 45'000);
    // The top value, the range itself, is the last position and never past it.
    EXPECT_EQ(PositionForSlider(249, 250, 250), 250);
    EXPECT_EQ(PositionForSlider(250, 250, 250), 250);
    EXPECT_EQ(PositionForSlider(1000, 90'000, 1000), 90'000);
    EXPECT_EQ(SliderValueFor(5, 0, 100), 0);
}

TEST(VideoPageArithmetic, StatusTexts) {
    EXPECT_EQ(PositionText(TimeFormat::kFrames, 100, 250), "Frame 100 of 250");
    EXPECT_EQ(PositionText(TimeFormat::kMediaTime, 37'000'000, 72'000'000'000),
              "Time 00:00:03 of 02:00:00");
    EXPECT_EQ(PositionText(TimeFormat::kMediaTime, 36'610'000'000, 36'619'999'999),
              "Time 01:01:01 of 01:01:01");
}

TEST(VideoPageArithmetic, StepsStayWithinTheVideo) {
    EXPECT_EQ(StepTarget(TimeFormat::kFrames, 1, -1, 250), 1);
    EXPECT_EQ(StepTarget(TimeFormat::kFrames, 249, +1, 250), 250);
    EXPECT_EQ(StepTarget(TimeFormat::kFrames, 250, +1, 250), 250);
    EXPECT_EQ(StepTarget(TimeFormat::kFrames, 10, -1, 250), 9);
    EXPECT_EQ(StepTarget(TimeFormat::kMediaTime, 10'000'000, +1, 72'000'000), 12'500'000);
    EXPECT_EQ(StepTarget(TimeFormat::kMediaTime, 2'000'000, -1, 72'000'000), 1);
}

struct Loaded {
    EnhanceJob job;
    VideoPageModel page;
    CollectingMessageSink messages;
    LoadOutcome outcome = LoadOutcome::kFailed;
};

void Load(Loaded& l, const std::string& path) {
    l.job.videoPath = path;
    l.job.inputKind = kInputVideoChosen;
    l.outcome = l.page.Load(l.job, l.messages);
}

TEST(VideoPageLoad, OpensAVideoAndWaitsAtItsMiddle) {
    Loaded l;
    Load(l, testing::Mpeg1Video());
    ASSERT_EQ(l.outcome, LoadOutcome::kLoaded);
    EXPECT_TRUE(l.messages.messages.empty());
    EXPECT_EQ(l.job.inputKind, kInputVideoOpen);
    EXPECT_EQ(l.job.width, 176);
    EXPECT_EQ(l.job.height, 144);
    EXPECT_EQ(l.page.Format(), TimeFormat::kFrames);
    EXPECT_EQ(l.page.Duration(), 40);
    EXPECT_EQ(l.page.SliderRange(), 40);
    EXPECT_TRUE(l.page.Ready());
    EXPECT_EQ(l.page.StatusText(), "Frame 20 of 40");
    EXPECT_EQ(l.page.Player().State(), kPlayerPaused);
    EXPECT_EQ(l.page.Player().Source()->Volume(), -10000);
}

// The command line's page is looked at by nobody: it opens at the middle without playing, and
// the picture there is decoded only once one is wanted.
TEST(VideoPageLoad, CommandLineLoadPlaysNothingAndShowsTheMiddleOnceWanted) {
    std::atomic<int64_t> shown{-1};
    Loaded l;
    ASSERT_TRUE(LoadVideoPath(l.page, l.job, testing::MjpegVideo(), l.messages));
    EXPECT_EQ(l.page.Player().State(), kPlayerOpened);
    int64_t position = 0;
    ASSERT_TRUE(l.page.CurrentPosition(position));
    EXPECT_EQ(position, l.page.Duration() / 2);
    l.page.Player().Source()->SetPictureSink([&shown](const BgrFrame& f) { shown = f.frameIndex; });
    for (int i = 0; i < 1000 && shown.load() < 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(shown.load(), position);
}

TEST(VideoPageLoad, WidePictureSetsBothFactors) {
    Loaded l;
    Load(l, testing::WideMpeg2Video());
    ASSERT_EQ(l.outcome, LoadOutcome::kLoaded);
    EXPECT_DOUBLE_EQ(l.job.verticalFactor, 0.703125);
    EXPECT_DOUBLE_EQ(l.job.mediaFactor, 0.703125);
    const VideoRect rect = l.page.Player().LayoutVideo(800, 600);
    EXPECT_EQ(rect.width, 720);
    EXPECT_EQ(rect.height, 405);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 97);
    EXPECT_EQ(l.page.Player().LayoutVideo(101, 100).left, -309);  // overhangs, never scaled
}

TEST(VideoPageLoad, SmallestSizeLoadsAndSmallerIsRefused) {
    Loaded ok;
    Load(ok, testing::MakeVideo("100x100.avi",
                                {TestVideoKind::kMpeg4Avi, 100, 100, 25, CountingPictures(10)}));
    EXPECT_EQ(ok.outcome, LoadOutcome::kLoaded);

    Loaded narrow;
    Load(narrow, testing::MakeVideo("99x576.avi",
                                    {TestVideoKind::kMpeg4Avi, 99, 576, 25, CountingPictures(10)}));
    EXPECT_EQ(narrow.outcome, LoadOutcome::kFailed);
    ASSERT_EQ(narrow.messages.messages.size(), 1u);
    EXPECT_EQ(narrow.messages.messages[0], kResolutionTooLowText);
    EXPECT_EQ(narrow.messages.captions[0], kErrorCaption);
    EXPECT_FALSE(narrow.page.VideoLoaded());
    EXPECT_EQ(narrow.job.inputKind, kInputNone);  // the job was reset
    EXPECT_EQ(narrow.job.width, -1);
}

TEST(VideoPageLoad, WhatIsNoVideo) {
    Loaded missing;
    Load(missing, testing::ScratchFolder() + "/missing.mpg");
    EXPECT_EQ(missing.outcome, LoadOutcome::kNothingToLoad);
    Loaded folder;
    Load(folder, testing::ScratchFolder());
    EXPECT_EQ(folder.outcome, LoadOutcome::kNothingToLoad);
    EXPECT_TRUE(missing.messages.messages.empty());

    for (const char* name : {"b_audio_only.mpg", "b_garbage_named_avi.avi"}) {
        Loaded l;
        Load(l, std::string(LUMIVEX_TEST_DATA) + "/video/" + name);
        EXPECT_EQ(l.outcome, LoadOutcome::kFailed);
        ASSERT_EQ(l.messages.messages.size(), 1u);
        EXPECT_EQ(l.messages.messages[0], kMediaNotSupportedText);
        EXPECT_EQ(l.messages.captions[0], kDebugMessageCaption);
        EXPECT_FALSE(l.page.VideoLoaded());
    }
}

// Frames at uneven times have no frame numbers: positions count 100-ns units, and a gathering
// steps by a thirtieth of a second from the frame shown at its start time.
TEST(VideoPageLoad, UnevenFrameTimesUseMediaTime) {
    TestVideoSpec spec{TestVideoKind::kMjpegMatroska, 128, 112, 25, CountingPictures(40)};
    for (int64_t i = 0; i < 40; ++i) {
        spec.timesMs.push_back(i * 40 + (i % 2) * 25);  // 0, 65, 80, 145, 160, ...
    }
    Loaded l;
    Load(l, testing::MakeVideo("uneven.mkv", spec));
    ASSERT_EQ(l.outcome, LoadOutcome::kLoaded);
    EXPECT_EQ(l.page.Format(), TimeFormat::kMediaTime);
    EXPECT_GT(l.page.Duration(), 15'000'000);
    EXPECT_EQ(l.page.SliderRange(), 1000);
    EXPECT_EQ(l.page.StatusText(), "Time 00:00:00 of 00:00:01");
    l.job.inputKind = kInputVideoOpen;
    CollectingMessageSink messages;
    ASSERT_TRUE(GatherFramesIntoJob(l.job, 10'000'000, l.page.Format(), messages));
    ASSERT_EQ(l.job.FrameCount(), 5);
    const RgbImage& first = *l.job.frames[0];
    // 0.9333 s falls in frame 22 (shown from 0.880 s to 0.945 s).
    EXPECT_EQ(ReadTestPicture(first.Bits(), first.Width(), first.Height() / 2, first.Stride()), 22);
    EXPECT_EQ(l.job.referenceIndex, 2);
}

TEST(VideoPageLoad, StepsTicksAndSliders) {
    Loaded l;
    Load(l, testing::MjpegVideo());
    ASSERT_EQ(l.outcome, LoadOutcome::kLoaded);
    int64_t slider = -1;
    EXPECT_TRUE(l.page.PositionTick(l.job, slider));
    EXPECT_EQ(slider, 30 * (15 - 1) / 30);
    l.job.inputKind = kInputVideoGathered;
    EXPECT_FALSE(l.page.PositionTick(l.job, slider));  // no move: the gathering still applies
    EXPECT_EQ(l.job.inputKind, kInputVideoGathered);
    l.page.Step(+1);
    EXPECT_EQ(l.page.StatusText(), "Frame 16 of 30");
    EXPECT_TRUE(l.page.PositionTick(l.job, slider));
    EXPECT_EQ(l.job.inputKind, kInputVideoOpen);
    l.page.SliderMoved(0);
    EXPECT_EQ(l.page.StatusText(), "Frame 1 of 30");
    l.page.Step(-1);
    EXPECT_EQ(l.page.StatusText(), "Frame 1 of 30");
    l.page.CloseVideo();
    l.page.Step(+1);  // nothing open: nothing happens
    EXPECT_EQ(l.page.StatusText(), "");
}

// Playing to the end: the end-of-stream event pauses the video at position 1.
TEST(VideoPlayer, PlaysToTheEndAndReturnsToPositionOne) {
    VideoPlayer player;
    std::atomic<int> pictures{0};
    std::atomic<bool> notified{false};
    player.SetPictureSink([&](const BgrFrame& frame) {
        EXPECT_EQ(frame.width, 128);
        ++pictures;
    });
    player.SetGraphNotify([&] { notified = true; });
    ASSERT_TRUE(player.Open(testing::MjpegVideo()));
    PlaybackLayer& source = *player.Source();
    ASSERT_TRUE(source.SetTimeFormat(TimeFormat::kFrames));
    ASSERT_TRUE(source.SetPositions(25));
    EXPECT_TRUE(player.Run());
    EXPECT_EQ(player.State(), kPlayerRunning);
    int32_t event = 0;
    EXPECT_TRUE(source.WaitForCompletion(std::chrono::seconds(10), event));
    EXPECT_EQ(event, kEventComplete);
    for (int i = 0; i < 100 && !notified; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(notified);
    EXPECT_GE(pictures.load(), 5);
    int64_t position = 0;
    ASSERT_TRUE(source.GetCurrentPosition(position));
    EXPECT_EQ(position, 29);
    player.HandleGraphNotify();
    ASSERT_TRUE(source.GetCurrentPosition(position));
    EXPECT_EQ(position, 1);
    EXPECT_EQ(player.State(), kPlayerRunning);  // the end-of-stream pause keeps the state
    int32_t code = 0;
    EXPECT_FALSE(source.GetEvent(code));
    player.CloseFile();
    EXPECT_EQ(player.State(), kPlayerNoFile);
    EXPECT_FALSE(player.HasGraph());
}

TEST(VideoPlayer, TimeFormatsAndCapabilities) {
    VideoPlayer player;
    EXPECT_FALSE(player.Pause());
    EXPECT_TRUE(player.Run());  // without a file there is nothing to run
    ASSERT_TRUE(player.Open(testing::Mpeg4Video()));
    PlaybackLayer& source = *player.Source();
    TimeFormat format = TimeFormat::kNone;
    ASSERT_TRUE(source.GetTimeFormat(format));
    EXPECT_EQ(format, TimeFormat::kMediaTime);
    int64_t duration = 0;
    ASSERT_TRUE(source.GetDuration(duration));
    EXPECT_EQ(duration, 36 * 400'000);
    EXPECT_TRUE(source.CheckCapabilities(kCanSeekAbsolute | kCanGetDuration));
    EXPECT_FALSE(source.CheckCapabilities(0x100));
    ASSERT_TRUE(source.SetTimeFormat(TimeFormat::kFrames));
    ASSERT_TRUE(source.GetDuration(duration));
    EXPECT_EQ(duration, 36);
    EXPECT_FALSE(source.SetVolume(-20000));
    EXPECT_TRUE(player.Pause());
    EXPECT_EQ(player.State(), kPlayerOpened);  // only a running player becomes paused
}

}  // namespace
}  // namespace lumivex::video
