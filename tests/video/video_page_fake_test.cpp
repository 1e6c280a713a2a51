// The Video page's logic over a scripted decoding layer: sizes, capabilities, time formats,
// durations and playback events that real files cannot easily produce, with every seek recorded.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/video/video_fixtures.h"
#include "video/debug_message.h"
#include "video/playback_layer.h"
#include "video/video_page_model.h"

namespace lumivex::video {
namespace {

// What the scripted layer reports, and what was done to it. Shared by the test and every layer
// the page makes.
struct Script {
    bool opens = true;
    int32_t width = 720;
    int32_t height = 576;
    uint32_t capabilities = kCanSeekAbsolute | kCanSeekForwards | kCanSeekBackwards |
                            kCanGetCurrentPos | kCanGetDuration;
    bool framesAvailable = true;
    bool mediaTimeAvailable = true;
    int64_t durationFrames = 250;
    int64_t durationMedia = 100'000'000;
    bool pauseFails = false;

    TimeFormat format = TimeFormat::kMediaTime;
    int64_t position = 0;
    bool running = false;
    int32_t volume = 0;
    std::deque<int32_t> events;
    PlaybackLayer::EventNotify notify;
    std::vector<int64_t> seeks;
    std::string openedPath;
    int layersMade = 0;
    int stops = 0;
};

class ScriptedLayer final : public PlaybackLayer {
public:
    explicit ScriptedLayer(std::shared_ptr<Script> script) : s_(std::move(script)) {
        ++s_->layersMade;
    }

    bool Open(const std::string& path) override {
        s_->openedPath = path;
        return s_->opens;
    }
    int32_t Width() const override { return s_->width; }
    int32_t Height() const override { return s_->height; }
    bool PreferredAspectRatio(int64_t&, int64_t&) const override { return false; }
    void SetPictureSink(PictureSink) override {}
    void SetEventNotify(EventNotify notify) override { s_->notify = std::move(notify); }
    bool Run() override {
        s_->running = true;
        return true;
    }
    bool Pause() override {
        if (s_->pauseFails) {
            return false;
        }
        s_->running = false;
        return true;
    }
    bool Stop() override {
        ++s_->stops;
        s_->running = false;
        return true;
    }
    bool SetVolume(int32_t volume) override {
        s_->volume = volume;
        return true;
    }
    int32_t Volume() const override { return s_->volume; }
    bool CheckCapabilities(uint32_t capabilities) const override {
        return (s_->capabilities & capabilities) == capabilities;
    }
    bool GetTimeFormat(TimeFormat& format) const override {
        format = s_->format;
        return true;
    }
    bool SetTimeFormat(TimeFormat format) override {
        const bool offered = (format == TimeFormat::kFrames && s_->framesAvailable) ||
                             (format == TimeFormat::kMediaTime && s_->mediaTimeAvailable);
        if (offered) {
            s_->format = format;
        }
        return offered;
    }
    bool GetDuration(int64_t& duration) const override {
        duration = s_->format == TimeFormat::kFrames ? s_->durationFrames : s_->durationMedia;
        return true;
    }
    bool GetCurrentPosition(int64_t& position) const override {
        position = s_->position;
        return true;
    }
    bool SetPositions(int64_t current) override {
        s_->seeks.push_back(current);
        s_->position = current;
        return true;
    }
    bool WaitForCompletion(std::chrono::milliseconds, int32_t&) override { return false; }
    bool GetEvent(int32_t& eventCode) override {
        if (s_->events.empty()) {
            return false;
        }
        eventCode = s_->events.front();
        s_->events.pop_front();
        return true;
    }

private:
    std::shared_ptr<Script> s_;
};

// The page checks that the job names a file before opening it; the layer never reads it.
const std::string& AnyFile() {
    static const std::string path = [] {
        const std::string file = testing::ScratchFolder() + "/scripted.mpg";
        testing::WriteBytes(file, {0});
        return file;
    }();
    return path;
}

struct ScriptedPage {
    std::shared_ptr<Script> script = std::make_shared<Script>();
    VideoPageModel page{[s = script] { return std::make_unique<ScriptedLayer>(s); }};
    EnhanceJob job;
    CollectingMessageSink messages;

    LoadOutcome Load() {
        job.videoPath = AnyFile();
        job.inputKind = kInputVideoChosen;
        return page.Load(job, messages);
    }
};

struct Refusal {
    const char* name;
    std::function<void(Script&)> setUp;
    const char* text;
    const char* caption;
};

TEST(VideoPageOverScriptedLayer, RefusedVideosShowOneMessageAndResetTheJob) {
    const Refusal refusals[] = {
        {"not supported", [](Script& s) { s.opens = false; }, kMediaNotSupportedText,
         kDebugMessageCaption},
        {"100 x 99",
         [](Script& s) {
             s.width = 100;
             s.height = 99;
         },
         kResolutionTooLowText, kErrorCaption},
        {"99 x 100",
         [](Script& s) {
             s.width = 99;
             s.height = 100;
         },
         kResolutionTooLowText, kErrorCaption},
        {"no absolute seek", [](Script& s) { s.capabilities &= ~kCanSeekAbsolute; },
         kCannotDecodeText, kErrorCaption},
        {"no duration", [](Script& s) { s.capabilities &= ~kCanGetDuration; }, kCannotDecodeText,
         kErrorCaption},
        {"no time format", [](Script& s) { s.framesAvailable = s.mediaTimeAvailable = false; },
         kCannotDecodeText, kErrorCaption},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        ScriptedPage p;
        refusal.setUp(*p.script);
        EXPECT_EQ(p.Load(), LoadOutcome::kFailed);
        ASSERT_EQ(p.messages.messages.size(), 1u);
        EXPECT_EQ(p.messages.messages[0], refusal.text);
        EXPECT_EQ(p.messages.captions[0], refusal.caption);
        EXPECT_FALSE(p.page.VideoLoaded());
        EXPECT_FALSE(p.page.Ready());
        EXPECT_EQ(p.script->stops, 1);  // the layer was closed
        EXPECT_EQ(p.job.inputKind, kInputNone);
        EXPECT_EQ(p.job.width, -1);
        EXPECT_TRUE(p.script->seeks.empty());
    }
}

// The layer is new for each video, the page is not: the second video's checks must not see the
// first one's time format.
TEST(VideoPageOverScriptedLayer, AFailedLoadAfterAGoodOneKeepsNothingOfIt) {
    ScriptedPage p;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    ASSERT_EQ(p.page.Format(), TimeFormat::kFrames);
    p.script->framesAvailable = p.script->mediaTimeAvailable = false;
    EXPECT_EQ(p.Load(), LoadOutcome::kFailed);
    ASSERT_EQ(p.messages.messages.size(), 1u);
    EXPECT_EQ(p.messages.messages[0], kCannotDecodeText);
    EXPECT_FALSE(p.page.Ready());
    EXPECT_EQ(p.page.Format(), TimeFormat::kNone);
    EXPECT_FALSE(p.page.CanGather());
}

TEST(VideoPageOverScriptedLayer, FramesAreChosenOverMediaTimeAndMediaTimeIsTheFallback) {
    ScriptedPage frames;
    ASSERT_EQ(frames.Load(), LoadOutcome::kLoaded);
    EXPECT_EQ(frames.page.Format(), TimeFormat::kFrames);

    ScriptedPage media;
    media.script->framesAvailable = false;
    ASSERT_EQ(media.Load(), LoadOutcome::kLoaded);
    EXPECT_EQ(media.page.Format(), TimeFormat::kMediaTime);
    EXPECT_EQ(media.page.Duration(), 100'000'000);
}

TEST(VideoPageOverScriptedLayer, TwoHundredFiftyFrames) {
    ScriptedPage p;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    EXPECT_TRUE(p.messages.messages.empty());
    EXPECT_EQ(p.script->openedPath, p.job.videoPath);
    EXPECT_EQ(p.job.inputKind, kInputVideoOpen);
    EXPECT_EQ(p.job.width, 720);
    EXPECT_EQ(p.job.height, 576);
    EXPECT_EQ(p.script->volume, -10000);
    EXPECT_TRUE(p.page.Ready());
    EXPECT_TRUE(p.page.CanGather());
    EXPECT_EQ(p.page.Duration(), 250);
    EXPECT_EQ(p.page.SliderRange(), 250);
    EXPECT_EQ(SliderPageSize(p.page.SliderRange()), 13);
    // Shown once, then paused at the middle.
    EXPECT_EQ(p.script->seeks, std::vector<int64_t>{125});
    EXPECT_FALSE(p.script->running);
    EXPECT_EQ(p.page.Player().State(), kPlayerPaused);
    EXPECT_EQ(p.page.StatusText(), "Frame 125 of 250");

    p.page.Play();
    EXPECT_TRUE(p.script->running);
    p.page.SliderMoved(99);  // pauses, then seeks
    EXPECT_FALSE(p.script->running);
    EXPECT_EQ(p.page.Player().State(), kPlayerPaused);
    EXPECT_EQ(p.script->seeks.back(), 100);
    EXPECT_EQ(p.page.StatusText(), "Frame 100 of 250");
    int64_t slider = -1;
    EXPECT_TRUE(p.page.PositionTick(p.job, slider));
    EXPECT_EQ(slider, 99);
    p.page.SliderMoved(249);  // the last value is the last frame
    EXPECT_EQ(p.page.StatusText(), "Frame 250 of 250");
}

TEST(VideoPageOverScriptedLayer, NinetyThousandFramesUseAThousandSliderSteps) {
    ScriptedPage p;
    p.script->durationFrames = 90'000;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    EXPECT_EQ(p.page.SliderRange(), 1000);
    EXPECT_EQ(SliderPageSize(p.page.SliderRange()), 50);
    EXPECT_EQ(p.page.StatusText(), "Frame 45000 of 90000");
    p.page.SliderMoved(0);
    EXPECT_EQ(p.script->seeks.back(), 90);
    p.page.SliderMoved(999);
    EXPECT_EQ(p.script->seeks.back(), 90'000);
    p.script->position = 45'001;
    int64_t slider = -1;
    EXPECT_TRUE(p.page.PositionTick(p.job, slider));
    EXPECT_EQ(slider, 500);
}

TEST(VideoPageOverScriptedLayer, MediaTimeTextsAndQuarterSecondSteps) {
    ScriptedPage p;
    p.script->framesAvailable = false;
    p.script->durationMedia = 72'000'000'000;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    EXPECT_EQ(p.page.Format(), TimeFormat::kMediaTime);
    EXPECT_EQ(p.page.SliderRange(), 1000);
    EXPECT_EQ(p.page.StatusText(), "Time 01:00:00 of 02:00:00");
    p.script->position = 37'000'000;
    EXPECT_EQ(p.page.StatusText(), "Time 00:00:03 of 02:00:00");
    p.page.Step(+1);
    EXPECT_EQ(p.script->seeks.back(), 39'500'000);
    p.script->position = 2'000'000;
    p.page.Step(-1);
    EXPECT_EQ(p.script->seeks.back(), 1);
    p.script->position = 72'000'000'000 - 1'000'000;
    p.page.Step(+1);
    EXPECT_EQ(p.script->seeks.back(), 72'000'000'000);
    EXPECT_EQ(p.page.StatusText(), "Time 02:00:00 of 02:00:00");
}

TEST(VideoPageOverScriptedLayer, StepsStopAtBothEndsAndPauseARunningVideo) {
    ScriptedPage p;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    p.script->position = 1;
    p.page.Step(-1);
    EXPECT_EQ(p.script->seeks.back(), 1);
    p.script->position = 249;
    p.page.Step(+1);
    EXPECT_EQ(p.page.StatusText(), "Frame 250 of 250");
    p.page.Step(+1);
    EXPECT_EQ(p.script->seeks.back(), 250);

    p.page.Play();
    p.page.Step(-1);
    EXPECT_FALSE(p.script->running);
    EXPECT_EQ(p.page.Player().State(), kPlayerPaused);
    EXPECT_EQ(p.page.StatusText(), "Frame 249 of 250");
}

TEST(VideoPageOverScriptedLayer, OneFrameAndNoFrames) {
    ScriptedPage one;
    one.script->durationFrames = 1;
    ASSERT_EQ(one.Load(), LoadOutcome::kLoaded);
    EXPECT_EQ(one.page.SliderRange(), 1);
    EXPECT_EQ(SliderPageSize(one.page.SliderRange()), 2);
    EXPECT_EQ(one.page.StatusText(), "Frame 0 of 1");
    EXPECT_TRUE(one.page.CanGather());
    one.page.Step(+1);
    EXPECT_EQ(one.page.StatusText(), "Frame 1 of 1");
    one.page.Step(-1);
    EXPECT_EQ(one.page.StatusText(), "Frame 1 of 1");
    int64_t slider = -1;
    EXPECT_TRUE(one.page.PositionTick(one.job, slider));
    EXPECT_EQ(slider, 0);
    one.page.SliderMoved(0);
    EXPECT_EQ(one.script->seeks.back(), 1);

    // A video without a duration loads but offers no gathering and no ticks.
    ScriptedPage none;
    none.script->durationFrames = 0;
    ASSERT_EQ(none.Load(), LoadOutcome::kLoaded);
    EXPECT_EQ(none.page.SliderRange(), 0);
    EXPECT_EQ(SliderPageSize(none.page.SliderRange()), 2);
    EXPECT_FALSE(none.page.CanGather());
    none.job.inputKind = kInputVideoGathered;
    EXPECT_FALSE(none.page.PositionTick(none.job, slider));
    EXPECT_EQ(none.job.inputKind, kInputVideoGathered);
}

TEST(VideoPageOverScriptedLayer, TickSetsInputKindFourOnlyWhenThePositionChanged) {
    ScriptedPage p;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    int64_t slider = -1;
    EXPECT_TRUE(p.page.PositionTick(p.job, slider));  // the first tick sees a new position
    EXPECT_EQ(slider, 124);
    p.job.inputKind = kInputVideoGathered;
    EXPECT_FALSE(p.page.PositionTick(p.job, slider));
    EXPECT_EQ(p.job.inputKind, kInputVideoGathered);
    EXPECT_EQ(slider, 124);
    p.script->position = 126;  // the video played on
    EXPECT_TRUE(p.page.PositionTick(p.job, slider));
    EXPECT_EQ(p.job.inputKind, kInputVideoOpen);
    EXPECT_EQ(slider, 125);
}

TEST(VideoPageOverScriptedLayer, EndOfStreamPausesAtPositionOne) {
    ScriptedPage p;
    bool notified = false;
    p.page.Player().SetGraphNotify([&] { notified = true; });
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    p.page.Play();
    p.script->position = 250;
    p.script->events = {7, kEventComplete};  // other events are taken and ignored
    ASSERT_TRUE(p.script->notify);
    p.script->notify();
    EXPECT_TRUE(notified);
    p.page.Player().HandleGraphNotify();
    EXPECT_TRUE(p.script->events.empty());
    EXPECT_FALSE(p.script->running);
    EXPECT_EQ(p.script->seeks.back(), 1);
    EXPECT_EQ(p.page.Player().State(), kPlayerRunning);  // the state is left as it was
    EXPECT_EQ(p.page.StatusText(), "Frame 1 of 250");
    p.job.inputKind = kInputVideoGathered;
    int64_t slider = -1;
    EXPECT_TRUE(p.page.PositionTick(p.job, slider));
    EXPECT_EQ(p.job.inputKind, kInputVideoOpen);
    EXPECT_EQ(slider, 0);
}

TEST(VideoPageOverScriptedLayer, EndOfStreamWithAFailingPauseDoesNotSeek) {
    ScriptedPage p;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    p.page.Play();
    p.script->position = 250;
    p.script->pauseFails = true;
    const size_t seeks = p.script->seeks.size();
    p.script->events = {kEventComplete, kEventComplete};
    p.page.Player().HandleGraphNotify();
    EXPECT_TRUE(p.script->events.empty());  // every queued event is taken
    EXPECT_EQ(p.script->seeks.size(), seeks);
    EXPECT_EQ(p.page.StatusText(), "Frame 250 of 250");
}

TEST(VideoPageOverScriptedLayer, ASecondVideoReplacesTheFirstAndClosingStopsAll) {
    ScriptedPage p;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    int64_t slider = -1;
    EXPECT_TRUE(p.page.PositionTick(p.job, slider));  // sees position 125
    p.script->durationFrames = 251;
    ASSERT_EQ(p.Load(), LoadOutcome::kLoaded);
    EXPECT_EQ(p.script->layersMade, 2);
    EXPECT_EQ(p.script->stops, 1);
    EXPECT_EQ(p.page.StatusText(), "Frame 125 of 251");
    // Same position, new video: the first tick still reports it, so the status is rewritten.
    EXPECT_TRUE(p.page.PositionTick(p.job, slider));

    p.page.CloseVideo();
    EXPECT_EQ(p.script->stops, 2);
    EXPECT_FALSE(p.page.VideoLoaded());
    EXPECT_FALSE(p.page.CanGather());
    const size_t seeks = p.script->seeks.size();
    p.page.Step(+1);
    p.page.SliderMoved(3);
    p.page.Play();
    EXPECT_EQ(p.script->seeks.size(), seeks);
    EXPECT_EQ(p.page.StatusText(), "");
    EXPECT_FALSE(p.page.PositionTick(p.job, slider));
}

}  // namespace
}  // namespace lumivex::video
