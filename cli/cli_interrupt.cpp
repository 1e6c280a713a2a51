#include "cli/cli_interrupt.h"

#include <iterator>

#include "image/save_image.h"

namespace lumivex::cli {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};  // the order of previous_

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};
std::atomic<std::atomic<bool>*> g_cancelTarget{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free &&
                  std::atomic<std::atomic<bool>*>::is_always_lock_free,
              "the signal handler may only use lock-free atomics");

extern "C" void OnInterrupt(int number) {
    // The signal is recorded before the flag, so whoever sees the flag reads the right status.
    int first = 0;
    if (g_signal.compare_exchange_strong(first, number)) {
        g_interrupted.store(true);
        if (std::atomic<bool>* cancel = g_cancelTarget.load()) {
            cancel->store(true);
        }
        return;
    }
    // A second signal: do not wait for the next cancel check.
    signal(number, SIG_DFL);
    raise(number);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    g_interrupted = false;
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal the program was started with ignored (nohup) stays ignored.
        sigaction(kSignals[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN) {
            sigaction(kSignals[i], &action, nullptr);
        }
    }
    AbandonSavesWhen(&g_interrupted);
}

InterruptWatch::~InterruptWatch() {
    AbandonSavesWhen(nullptr);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (previous_[i].sa_handler != SIG_IGN) {
            sigaction(kSignals[i], &previous_[i], nullptr);
        }
    }
}

bool InterruptWatch::Interrupted() const {
    return g_interrupted.load();
}

int InterruptWatch::ExitStatus() const {
    const int number = g_signal.load();
    return number > 0 ? 128 + number : kExitCancelled;
}

Failure InterruptWatch::Cancellation() const {
    return Failure{ExitStatus(), "cancelled; nothing was written"};
}

CancelOnInterrupt::CancelOnInterrupt(std::atomic<bool>& cancel) {
    g_cancelTarget.store(&cancel);
}

CancelOnInterrupt::~CancelOnInterrupt() {
    g_cancelTarget.store(nullptr);
}

}  // namespace lumivex::cli
