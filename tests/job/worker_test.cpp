#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "job/job.h"
#include "test_frames.h"

namespace lumivex {
namespace {

using testing_frames::FillJob;

// Waits for the worker's final status, as a front end polls it.
int32_t WaitForFinalStatus(EnhanceJob& job) {
    while (job.progress.status >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    JoinWorker(job);
    return job.progress.status;
}

TEST(EnhanceWorkerTest, NoFramesReturnsMinusOneAndTouchesNothing) {
    EnhanceJob job;
    job.progress.status = 0;
    EXPECT_EQ(EnhanceWorker(job), -1);
    EXPECT_EQ(job.progress.status, 0);
    EXPECT_FALSE(StartEnhancement(job));
    EXPECT_FALSE(job.worker.joinable());
}

TEST(EnhanceWorkerTest, SingleFrameGivesItsEnlargement) {
    EnhanceJob job;
    FillJob(job, 1, 64, 48);
    // A constant picture must stay exactly that colour when enlarged.
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64 * 3; x += 3) {
            job.frames[0]->Row(y)[x] = 10;
            job.frames[0]->Row(y)[x + 1] = 120;
            job.frames[0]->Row(y)[x + 2] = 240;
        }
    }
    job.params.LoadFromText("[resolution]\nscale = 1.5\n");
    ASSERT_TRUE(StartEnhancement(job));
    ASSERT_EQ(WaitForFinalStatus(job), kEnhanceSucceeded);
    ASSERT_TRUE(job.resultReady);
    EXPECT_EQ(job.result.Width(), 96);
    EXPECT_EQ(job.result.Height(), 72);
    EXPECT_EQ(job.result.BitsPerPixel(), 24);
    int wrong = 0;
    for (int32_t y = 0; y < 72; ++y) {
        for (int32_t x = 0; x < 96 * 3; x += 3) {
            const uint8_t* p = job.result.Row(y) + x;
            wrong += p[0] != 10 || p[1] != 120 || p[2] != 240;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(EnhanceWorkerTest, EveryOtherImageIsReportedInTheCallersOrder) {
    EnhanceJob job;
    FillJob(job, 4, testing_frames::MinWidth() + 32, MinRegistrationHeight() + 32);
    job.referenceIndex = 2;
    std::vector<int32_t> reported;
    job.observer = [&reported](const RegistrationReport& report) {
        reported.push_back(report.index);
    };
    ASSERT_TRUE(StartEnhancement(job));
    ASSERT_EQ(WaitForFinalStatus(job), kEnhanceSucceeded);
    EXPECT_TRUE(job.resultReady);
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, (std::vector<int32_t>{0, 1, 3}));
    // The job's own frame order is untouched by the engine's reference swap.
    EXPECT_EQ(job.names[0], "frame0");
}

TEST(EnhanceWorkerTest, CancelDuringTheRunReleasesTheResult) {
    EnhanceJob job;
    FillJob(job, 4, testing_frames::MinWidth() + 32, MinRegistrationHeight() + 32);
    job.result.Allocate(16, 16, 24);  // a previous result is gone once a run starts
    int reports = 0;
    job.observer = [&job, &reports](const RegistrationReport&) {
        ++reports;
        job.progress.cancel = true;
    };
    ASSERT_TRUE(StartEnhancement(job));
    EXPECT_EQ(WaitForFinalStatus(job), kEnhanceCancelled);
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(job.result.IsEmpty());
    EXPECT_FALSE(job.resultReady);
}

TEST(EnhanceWorkerTest, CancelBeforeTheFirstFrameStopsAtOnce) {
    EnhanceJob job;
    FillJob(job, 3, testing_frames::MinWidth(), MinRegistrationHeight());
    job.progress.cancel = true;
    int reports = 0;
    job.observer = [&reports](const RegistrationReport&) { ++reports; };
    EXPECT_EQ(EnhanceWorker(job), 0);
    EXPECT_EQ(job.progress.status, kEnhanceCancelled);
    EXPECT_EQ(reports, 0);
    EXPECT_TRUE(job.result.IsEmpty());
}

TEST(EnhanceWorkerTest, OutputBeyondThePictureLimitFailsWithoutRunning) {
    EnhanceJob job;
    FillJob(job, 1, 64, 48);
    job.params.LoadFromText("[resolution]\nscale = 1000\n");
    EXPECT_EQ(EnhanceWorker(job), 0);
    EXPECT_EQ(job.progress.status, kEnhanceFailed);
    EXPECT_TRUE(job.result.IsEmpty());
    EXPECT_FALSE(job.resultReady);
}

TEST(EnhanceWorkerTest, ASecondRunCanFollowTheFirst) {
    EnhanceJob job;
    FillJob(job, 1, 32, 32);
    ASSERT_TRUE(StartEnhancement(job));
    ASSERT_EQ(WaitForFinalStatus(job), kEnhanceSucceeded);
    job.params.LoadFromText("[resolution]\nscale = 1\n");
    ASSERT_TRUE(StartEnhancement(job));
    ASSERT_EQ(WaitForFinalStatus(job), kEnhanceSucceeded);
    EXPECT_EQ(job.result.Width(), 32);
}

TEST(EnhanceWorkerTest, TheJobsMethodChoosesTheReconstruction) {
    EnhanceJob job;
    FillJob(job, 4, testing_frames::MinWidth() + 32, MinRegistrationHeight() + 32);
    std::vector<RegistrationReport> reports;
    job.observer = [&reports](const RegistrationReport& r) { reports.push_back(r); };
    ASSERT_EQ(EnhanceWorker(job), 0);
    ASSERT_EQ(job.progress.status, kEnhanceSucceeded);
    const std::vector<uint8_t> standard(job.result.Bits(),
                                        job.result.Bits() + job.result.Width() * 3 * 2);
    ASSERT_EQ(reports.size(), 3U);
    for (const RegistrationReport& r : reports) {
        EXPECT_EQ(r.weight, 1.0);  // the standard engine blends whole frames
    }

    reports.clear();
    job.method = ReconstructionMethod::kQuality;
    ASSERT_EQ(EnhanceWorker(job), 0);
    ASSERT_EQ(job.progress.status, kEnhanceSucceeded);
    EXPECT_TRUE(job.resultReady);
    const std::vector<uint8_t> quality(job.result.Bits(),
                                       job.result.Bits() + job.result.Width() * 3 * 2);
    EXPECT_NE(quality, standard);
    ASSERT_EQ(reports.size(), 3U);
    for (const RegistrationReport& r : reports) {
        EXPECT_GT(r.weight, 0.5);
        EXPECT_LE(r.weight, 1.0);
    }

    job.progress.cancel = true;
    ASSERT_EQ(EnhanceWorker(job), 0);
    EXPECT_EQ(job.progress.status, kEnhanceCancelled);
    EXPECT_TRUE(job.result.IsEmpty());
}

}  // namespace
}  // namespace lumivex
