// Cancelling an enhancement at any point frees everything the run took: the result, the
// engine's working buffers and the worker thread. LeakSanitizer checks the whole program at
// exit; the allocation meter checks each cancel point on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

#include "engine/enhance_progress.h"
#include "job/job.h"
#include "tests/job/test_frames.h"
#include "tests/robustness/allocation_meter.h"

namespace lumivex::robustness {
namespace {

constexpr int32_t kFrames = 6;

void FillSmallJob(EnhanceJob& job) {
    testing_frames::FillJob(job, kFrames, testing_frames::MinWidth() + 64,
                            MinRegistrationHeight() + 48);
}

int32_t WaitForFinalStatus(EnhanceJob& job) {
    while (job.progress.status >= 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    JoinWorker(job);
    return job.progress.status;
}

// A cancelled run keeps no result; a run that finished before the cancel arrived has one.
void ExpectConsistentEnd(const EnhanceJob& job, int32_t status) {
    if (status == kEnhanceCancelled) {
        EXPECT_TRUE(job.result.IsEmpty());
        EXPECT_FALSE(job.resultReady);
    } else {
        EXPECT_EQ(status, kEnhanceSucceeded);
        EXPECT_TRUE(job.resultReady);
    }
}

TEST(CancelEnhancement, AfterEachRegisteredFrameNothingStaysAllocated) {
    for (int cancelAfter = 1; cancelAfter < kFrames; ++cancelAfter) {
        AllocationMeter meter;
        {
            EnhanceJob job;
            FillSmallJob(job);
            int reports = 0;
            job.observer = [&job, &reports, cancelAfter](const RegistrationReport&) {
                if (++reports == cancelAfter)
                    job.progress.cancel = true;
            };
            ASSERT_TRUE(StartEnhancement(job));
            const int32_t status = WaitForFinalStatus(job);
            // The engine last looks at the request before it fuses the last frame; a cancel
            // from the last report may come too late, and then the run simply completes.
            if (cancelAfter < kFrames - 1) {
                EXPECT_EQ(status, kEnhanceCancelled) << cancelAfter;
            }
            ExpectConsistentEnd(job, status);
        }
        if (AllocationMeter::Available()) {
            EXPECT_LE(meter.LiveBytes(), 4096) << "cancelled after frame " << cancelAfter;
        }
    }
}

// The worker waits at each frame's report until the test has looked at the status that report
// left, so it never runs past a check the request was meant for, however the threads are
// scheduled.
TEST(CancelEnhancement, AtSeveralPercentagesNothingStaysAllocated) {
    int cancelled = 0;
    for (int percent : {0, 5, 20, 40, 60, 80, 95}) {
        AllocationMeter meter;
        {
            EnhanceJob job;
            FillSmallJob(job);
            std::atomic<int> reached{0};
            std::atomic<int> released{0};
            job.observer = [&reached, &released](const RegistrationReport&) {
                const int report = ++reached;
                while (released.load() < report)
                    std::this_thread::yield();
            };
            ASSERT_TRUE(StartEnhancement(job));
            for (;;) {
                // Read before the status, so that the status is at least that report's.
                const int waiting = reached.load();
                const int32_t status = job.progress.status.load();
                if (status < 0 || status >= percent)
                    break;
                released = std::max(released.load(), waiting);
                std::this_thread::yield();
            }
            job.progress.cancel = true;
            released = INT_MAX;
            const int32_t status = WaitForFinalStatus(job);
            ExpectConsistentEnd(job, status);
            cancelled += status == kEnhanceCancelled ? 1 : 0;
        }
        if (AllocationMeter::Available()) {
            EXPECT_LE(meter.LiveBytes(), 4096) << "cancelled at " << percent << "%";
        }
    }
    // The points up to 60 % come before the fourth of the five reports, and a check follows each.
    EXPECT_GE(cancelled, 5);
}

TEST(CancelEnhancement, JobDestroyedWhileRunningStopsAndFreesTheWorker) {
    AllocationMeter meter;
    {
        EnhanceJob job;
        FillSmallJob(job);
        ASSERT_TRUE(StartEnhancement(job));
        while (job.progress.status >= 0 && job.progress.status < 10)
            std::this_thread::yield();
    }
    if (AllocationMeter::Available()) {
        EXPECT_LE(meter.LiveBytes(), 4096);
    }
}

}  // namespace
}  // namespace lumivex::robustness
