// Ctrl-C, SIGTERM and SIGHUP as a request to stop: the work in progress is cancelled, no file is
// replaced after it, and the command ends with 128 + the signal's number.
#pragma once

#include <signal.h>

#include <atomic>

#include "cli/cli_messages.h"

namespace lumivex::cli {

// Exit status of a command stopped by Ctrl-C (SIGINT).
inline constexpr int kExitCancelled = 130;

// Catches SIGINT, SIGTERM and SIGHUP for its lifetime (those not ignored when the program
// started: under nohup, SIGHUP stays ignored). The first one is remembered, passed on to
// the cancel request routed to it (see CancelOnInterrupt), and stops every save that has not yet
// replaced its file; a second one ends the process at once. Create it before the work that a
// signal should cancel starts, so that none is lost. One at a time.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool Interrupted() const;
    // 128 + the number of the signal that arrived first (130 for Ctrl-C).
    int ExitStatus() const;
    // The end of a command stopped before it wrote anything: "cancelled; nothing was written".
    Failure Cancellation() const;

private:
    struct sigaction previous_[3]{};  // SIGINT, SIGTERM, SIGHUP as they were
};

// For its lifetime, a signal sets cancel from the handler itself (a worker that the main thread
// waits for without looking).
class CancelOnInterrupt {
public:
    explicit CancelOnInterrupt(std::atomic<bool>& cancel);
    ~CancelOnInterrupt();
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;
};

}  // namespace lumivex::cli
