#include "cli/cli_job_runner.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace lumivex::cli {

namespace {

std::atomic<bool>* g_cancel = nullptr;

extern "C" void OnInterrupt(int) {
    if (g_cancel != nullptr && !g_cancel->load()) {
        g_cancel->store(true);
        return;
    }
    // A second Ctrl-C: stop waiting for the next cancel check.
    signal(SIGINT, SIG_DFL);
    raise(SIGINT);
}

// Installs OnInterrupt for its lifetime and restores the previous handler afterwards.
class InterruptGuard {
public:
    explicit InterruptGuard(std::atomic<bool>& cancel) {
        g_cancel = &cancel;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &previous_, nullptr);
        g_cancel = nullptr;
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previous_ {};
};

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

}  // namespace

int32_t RunJobToEnd(EnhanceJob& job, bool showProgress) {
    const bool drawing = showProgress && isatty(STDERR_FILENO) == 1;
    InterruptGuard guard(job.progress.cancel);
    if (!StartEnhancement(job)) {
        return kEnhanceFailed;
    }
    int32_t shown = -1;
    int32_t status = 0;
    while ((status = job.progress.status.load()) >= 0) {
        if (drawing && status != shown) {
            DrawBar(status);
            shown = status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
