// Runs an enhancement job to its end from the command line: the worker thread, an optional
// progress bar on stderr, and Ctrl-C as the job's cancel request.
#pragma once

#include <signal.h>

#include <cstdint>

#include "job/job.h"

namespace lumivex::cli {

// Exit status of a command whose run was cancelled with Ctrl-C.
inline constexpr int kExitCancelled = 130;

// Catches SIGINT for its lifetime: the first one is remembered (and passed on to a running job
// as its cancel request), a second one ends the process at once. Create it before the work that
// Ctrl-C should cancel starts, so that no interrupt is lost. One at a time.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool Interrupted() const;

private:
    struct sigaction previous_ {};
};

// Starts the job (job.params already loaded), waits for its final status and joins the worker.
// An interrupt seen by watch, before or during the run, cancels it. A bar with the percentage
// is drawn on stderr when showProgress is set and stderr is a terminal. Returns the final status
// (-100, -1 or -2); -2 when the worker could not start.
int32_t RunJobToEnd(EnhanceJob& job, const InterruptWatch& watch, bool showProgress);

}  // namespace lumivex::cli
