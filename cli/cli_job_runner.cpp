#include "cli/cli_job_runner.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace lumivex::cli {

namespace {

std::atomic<bool> g_interrupted{false};
// The cancel request of the run the main thread waits for without looking, set by the handler.
std::atomic<std::atomic<bool>*> g_cancelTarget{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free &&
                  std::atomic<std::atomic<bool>*>::is_always_lock_free,
              "the interrupt handler may only use lock-free atomics");

// How often the run is looked at: short, so that the result is written as soon as it is ready.
constexpr std::chrono::milliseconds kPollInterval{2};

extern "C" void OnInterrupt(int) {
    if (!g_interrupted.exchange(true)) {
        if (std::atomic<bool>* cancel = g_cancelTarget.load()) {
            cancel->store(true);
        }
        return;
    }
    // A second Ctrl-C: do not wait for the next cancel check.
    signal(SIGINT, SIG_DFL);
    raise(SIGINT);
}

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

// For its lifetime, an interrupt sets cancel from the handler itself.
class CancelOnInterrupt {
public:
    explicit CancelOnInterrupt(std::atomic<bool>& cancel) { g_cancelTarget.store(&cancel); }
    ~CancelOnInterrupt() { g_cancelTarget.store(nullptr); }
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;
};

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

InterruptWatch::InterruptWatch() {
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
}

InterruptWatch::~InterruptWatch() {
    sigaction(SIGINT, &previous_, nullptr);
}

bool InterruptWatch::Interrupted() const {
    return g_interrupted.load();
}

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
