#include "cli/cli_job_runner.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace lumivex::cli {

namespace {

// How often the run is looked at: short, so that the result is written as soon as it is ready.
constexpr std::chrono::milliseconds kPollInterval{2};

void DrawBar(int32_t percent) {
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) {
        bar[i] = i < filled ? '#' : '.';
    }
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\rEnhancing [%s] %3d%%", bar, percent);
    std::fflush(stderr);
}

// Without a bar to draw, the main thread sleeps in the join, so the result is written the moment
// the run ends instead of at the next look.
int32_t JoinRun(EnhanceJob& job, const InterruptWatch& watch) {
    const CancelOnInterrupt routed(job.progress.cancel);
    if (watch.Interrupted()) {
        job.progress.cancel = true;  // arrived after the check before the start
    }
    JoinWorker(job);
    return job.progress.status.load();
}

}  // namespace

int32_t RunJobToEnd(EnhanceJob& job, const InterruptWatch& watch, bool showProgress) {
    if (watch.Interrupted()) {
        return kEnhanceCancelled;
    }
    const bool drawing = showProgress && isatty(STDERR_FILENO) == 1;
    if (!StartEnhancement(job)) {
        return kEnhanceFailed;
    }
    if (!drawing) {
        return JoinRun(job, watch);
    }
    int32_t shown = -1;
    int32_t status = 0;
    while ((status = job.progress.status.load()) >= 0) {
        if (watch.Interrupted()) {
            job.progress.cancel = true;
        }
        if (drawing && status != shown) {
            DrawBar(status);
            shown = status;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    JoinWorker(job);
    if (drawing) {
        if (status == kEnhanceSucceeded) {
            DrawBar(100);
        }
        std::fprintf(stderr, "\n");
    }
    return status;
}

}  // namespace lumivex::cli
