// The Enhance command without widgets: its checks in order, the refusals before a run, a worker
// that cannot start, the poll (Cancel carried only while running) and the outcome per status.
#include "app/core/enhance_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "enhance_test_support.h"
#include "image/message_sink.h"

namespace lumivex {
namespace {

using testing_support::FillJob;
using testing_support::TempFolder;

// Records what the command asked of its window.
class FakeHost : public EnhanceCommandHost {
public:
    bool ChooseProfile() override {
        ++dialogs;
        return dialogAnswer;
    }
    bool GatherVideoFrames() override {
        ++gatherings;
        if (gather) {
            gather();
        }
        return hasVideoPage;
    }
    void OpenProgress() override {
        ++opened;
        progressOpen = true;
    }
    void CloseProgress() override { progressOpen = false; }
    bool ProgressCancelled() const override { return progressOpen && cancelPressed; }
    void SetProgressPosition(int32_t position) override { positions.push_back(position); }
    void StartPolling() override { polling = true; }
    void StopPolling() override { polling = false; }
    void ShowStep(const std::string& name) override { steps.push_back(name); }
    MessageSink& Messages() override { return messages; }

    bool dialogAnswer = true;
    bool hasVideoPage = false;
    std::function<void()> gather;
    bool cancelPressed = false;

    int dialogs = 0;
    int gatherings = 0;
    int opened = 0;
    bool progressOpen = false;
    bool polling = false;
    std::vector<int32_t> positions;
    std::vector<std::string> steps;
    CollectingMessageSink messages;
};

class EnhanceCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillJob(job_, 64, 48, 1);
        profiles_.Add(folder_.WriteProfile("Default enhancement", "[resolution]\nscale = 1\n"));
    }

    // A command whose worker is not started for real: the test plays the worker's status.
    EnhanceCommand PretendCommand(bool starts = true) {
        return EnhanceCommand(job_, profiles_, host_, [this, starts](EnhanceJob&) {
            ++starts_;
            return starts;
        });
    }

    TempFolder folder_;
    EnhanceJob job_;
    ProfileList profiles_;
    FakeHost host_;
    int starts_ = 0;
};

TEST(DecidePollTest, CancelTravelsOnlyWhileTheRunGoesOn) {
    for (int32_t status : {0, 1, 57, 100}) {
        for (bool pressed : {false, true}) {
            const PollAction action = DecidePoll(status, pressed);
            EXPECT_FALSE(action.finished) << status;
            EXPECT_EQ(action.carryCancel, pressed) << status;
            EXPECT_EQ(action.position, status);
        }
    }
    for (int32_t status : {-1, -2, -100}) {
        const PollAction action = DecidePoll(status, true);
        EXPECT_TRUE(action.finished) << status;
        EXPECT_FALSE(action.carryCancel) << status;
    }
}

TEST(StepAfterRunTest, ResultPageForSuccessAndFailureOnly) {
    EXPECT_EQ(StepAfterRun(-100), "Enhance");
    EXPECT_EQ(StepAfterRun(-2), "Enhance");
    EXPECT_EQ(StepAfterRun(-1), "");
}

TEST_F(EnhanceCommandTest, CancelledDialogDoesNothing) {
    host_.dialogAnswer = false;
    job_.verticalFactor = 0.5;
    EnhanceCommand command = PretendCommand();
    EXPECT_EQ(command.Run(), EnhanceStart::kNoProfileChosen);
    EXPECT_EQ(host_.opened, 0);
    EXPECT_EQ(starts_, 0);
    EXPECT_TRUE(host_.messages.messages.empty());
    EXPECT_FALSE(command.Running());
}

TEST_F(EnhanceCommandTest, VideoWithoutItsPageIsNotProperlyLoaded) {
    job_.Reset();
    job_.inputKind = kInputVideoOpen;
    EnhanceCommand command = PretendCommand();
    EXPECT_EQ(command.Run(), EnhanceStart::kVideoNotLoaded);
    EXPECT_EQ(host_.messages.messages,
              std::vector<std::string>{"Error! Video is not properly loaded!!!"});
    EXPECT_EQ(host_.messages.icons, std::vector<MessageIcon>{MessageIcon::kError});
    EXPECT_EQ(host_.opened, 0);
}

TEST_F(EnhanceCommandTest, VideoFramesAreGatheredOnlyWhenNotYetGathered) {
    job_.Reset();
    job_.inputKind = kInputVideoOpen;
    host_.hasVideoPage = true;
    host_.gather = [this] {
        FillJob(job_, 64, 48, 2);
        job_.inputKind = kInputVideoGathered;
    };
    EnhanceCommand command = PretendCommand();
    EXPECT_EQ(command.Run(), EnhanceStart::kStarted);
    EXPECT_EQ(host_.gatherings, 1);

    job_.progress.status = kEnhanceSucceeded;
    command.Tick();
    EXPECT_EQ(command.Run(), EnhanceStart::kStarted);  // kind 5: the frames are there
    EXPECT_EQ(host_.gatherings, 1);
}

TEST_F(EnhanceCommandTest, FailedGatheringEndsWithNoInputImages) {
    job_.Reset();
    job_.inputKind = kInputVideoOpen;
    host_.hasVideoPage = true;  // the page tried and told its own error
    EnhanceCommand command = PretendCommand();
    EXPECT_EQ(command.Run(), EnhanceStart::kNoInputImages);
    EXPECT_EQ(host_.messages.messages,
              std::vector<std::string>{"Error! No input images available!!"});
    EXPECT_EQ(starts_, 0);
}

TEST_F(EnhanceCommandTest, OutputBeyondThePictureLimitIsRefusedBeforeTheRun) {
    FillJob(job_, 640, 480, 1);
    profiles_.Add(folder_.WriteProfile("Huge", "[resolution]\nscale = 20\n"));
    job_.profileIndex = 1;
    EnhanceCommand command = PretendCommand();
    EXPECT_EQ(command.Run(), EnhanceStart::kRefused);
    ASSERT_EQ(host_.messages.messages.size(), 1u);
    EXPECT_NE(host_.messages.messages[0].find("12800x9600 is too large"), std::string::npos)
        << host_.messages.messages[0];
    EXPECT_EQ(host_.opened, 0);
    EXPECT_EQ(starts_, 0);
}

TEST_F(EnhanceCommandTest, WorkerThatCannotStartClosesTheProgressWindow) {
    EnhanceCommand command = PretendCommand(false);
    EXPECT_EQ(command.Run(), EnhanceStart::kWorkerNotStarted);
    EXPECT_EQ(host_.opened, 1);
    EXPECT_FALSE(host_.progressOpen);
    EXPECT_FALSE(host_.polling);
    EXPECT_FALSE(command.Running());
    EXPECT_EQ(host_.messages.messages, std::vector<std::string>{text::kWorkerNotStarted});
    EXPECT_FALSE(command.Tick());
}

TEST_F(EnhanceCommandTest, PollMovesTheBarAndCarriesCancelWhileRunning) {
    EnhanceCommand command = PretendCommand();
    ASSERT_EQ(command.Run(), EnhanceStart::kStarted);
    EXPECT_TRUE(host_.progressOpen);
    EXPECT_TRUE(host_.polling);
    EXPECT_NE(job_.params.FindValue("resolution", "scale"), nullptr);  // profile loaded

    job_.progress.status = 30;
    EXPECT_FALSE(command.Tick());
    EXPECT_FALSE(job_.progress.cancel);
    host_.cancelPressed = true;
    job_.progress.status = 31;
    EXPECT_FALSE(command.Tick());
    EXPECT_TRUE(job_.progress.cancel);
    EXPECT_EQ(host_.positions, (std::vector<int32_t>{30, 31}));

    job_.progress.cancel = false;
    job_.progress.status = kEnhanceCancelled;
    EXPECT_TRUE(command.Tick());
    EXPECT_FALSE(job_.progress.cancel);  // the run is over: nothing more is carried
    EXPECT_FALSE(host_.progressOpen);
    EXPECT_FALSE(host_.polling);
    EXPECT_TRUE(host_.steps.empty());  // cancelled: the current page stays
    EXPECT_FALSE(command.Tick());
}

// A failure shows the (empty) result page and says that it failed; a success says nothing.
TEST_F(EnhanceCommandTest, SuccessAndFailureShowTheResultPage) {
    const struct {
        int32_t status;
        std::vector<std::string> messages;
    } cases[] = {
        {kEnhanceSucceeded, {}},
        {kEnhanceFailed, {"The enhancement failed: no enhanced image could be made."}},
    };
    for (const auto& c : cases) {
        host_.steps.clear();
        host_.messages = {};
        EnhanceCommand command = PretendCommand();
        ASSERT_EQ(command.Run(), EnhanceStart::kStarted);
        job_.progress.status = c.status;
        EXPECT_TRUE(command.Tick());
        EXPECT_EQ(host_.steps, std::vector<std::string>{"Enhance"}) << c.status;
        EXPECT_FALSE(host_.progressOpen);
        EXPECT_EQ(host_.messages.messages, c.messages) << c.status;
        EXPECT_EQ(host_.messages.icons,
                  std::vector<MessageIcon>(c.messages.size(), MessageIcon::kError));
    }
}

// The worker's side played as the real worker plays it: it frees the previous result when it
// starts and leaves a new one only when it succeeds. An unsaved result survives a second run that
// is cancelled, fails or never starts, still ready to save, with its comparison; a failure or a
// worker that never started is told, a cancel is not.
TEST_F(EnhanceCommandTest, ASecondRunThatDoesNotSucceedKeepsTheFirstResult) {
    const struct {
        int32_t second;
        std::vector<std::string> messages;
    } cases[] = {
        {kEnhanceCancelled, {}},
        {kEnhanceFailed,
         {"The enhancement failed: no new enhanced image could be made. The previous enhanced "
          "image is shown and can still be saved."}},
        {0, {text::kWorkerNotStarted}},
    };
    for (const auto& [second, messages] : cases) {
        host_.messages = {};
        int32_t outcome = kEnhanceSucceeded;  // 0: the worker does not start
        EnhanceCommand command(job_, profiles_, host_, [&outcome](EnhanceJob& job) {
            job.result.Release();
            job.resultReady = false;
            if (outcome == kEnhanceSucceeded) {
                job.result.Allocate(128, 96, 24);
                job.resultReady = true;
            }
            job.progress.status = outcome;
            return outcome != 0;
        });
        ASSERT_EQ(command.Run(), EnhanceStart::kStarted);
        ASSERT_TRUE(command.Tick());
        const uint8_t* first = job_.result.Bits();
        EXPECT_EQ(command.Results().Before().Width(), 128);
        EXPECT_EQ(ComparisonStatusText(command.Results().Summary(), false),
                  "After: 128 \u00d7 96, 1 of 1 fused");

        outcome = second;
        if (command.Run() == EnhanceStart::kStarted) {
            EXPECT_TRUE(command.Tick());
        }
        EXPECT_EQ(job_.result.Bits(), first) << second;
        EXPECT_TRUE(job_.resultReady) << second;
        EXPECT_EQ(command.Results().Before().Width(), 128) << second;
        EXPECT_EQ(command.Results().Summary().width, 128) << second;
        EXPECT_EQ(host_.messages.messages, messages) << second;
    }
}

// One picture is enough for a run; the real worker ends with the enhanced picture.
TEST_F(EnhanceCommandTest, SinglePictureRunsToTheResult) {
    job_.profileIndex = 0;
    EnhanceCommand command(job_, profiles_, host_);
    ASSERT_EQ(command.Run(), EnhanceStart::kStarted);
    for (int tick = 0; tick < 600 && !command.Tick(); ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(command.Running());
    EXPECT_EQ(job_.progress.status, kEnhanceSucceeded);
    EXPECT_TRUE(job_.resultReady);
    EXPECT_EQ(job_.result.Width(), 64);
    EXPECT_EQ(job_.result.Height(), 48);
    EXPECT_EQ(host_.steps, std::vector<std::string>{"Enhance"});
}

}  // namespace
}  // namespace lumivex
