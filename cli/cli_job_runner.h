// Runs an enhancement job to its end from the command line: the worker thread, an optional
// progress bar on stderr, and Ctrl-C as the job's cancel request.
#pragma once

#include <cstdint>

#include "engine/job.h"

namespace lumivex::cli {

// Exit status of a command whose run was cancelled with Ctrl-C.
inline constexpr int kExitCancelled = 130;

// Starts the job (job.params already loaded), waits for its final status and joins the worker.
// While it runs, SIGINT sets job.progress.cancel (a second SIGINT ends the process at once), and
// a bar with the percentage is drawn on stderr when showProgress is set and stderr is a
// terminal. Returns the final status (-100, -1 or -2); -2 when the worker could not start.
int32_t RunJobToEnd(EnhanceJob& job, bool showProgress);

}  // namespace lumivex::cli
