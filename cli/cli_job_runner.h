// Runs an enhancement job to its end from the command line: the worker thread, an optional
// progress bar on stderr, and a signal (Ctrl-C) as the job's cancel request.
#pragma once

#include <cstdint>

#include "cli/cli_interrupt.h"
#include "job/job.h"

namespace lumivex::cli {

// Starts the job (job.params already loaded), waits for its final status and joins the worker.
// A signal seen by watch, before or during the run, cancels it. A bar with the percentage
// is drawn on stderr when showProgress is set and stderr is a terminal. Returns the final status
// (-100, -1 or -2); -2 when the worker could not start.
int32_t RunJobToEnd(EnhanceJob& job, const InterruptWatch& watch, bool showProgress);

}  // namespace lumivex::cli
