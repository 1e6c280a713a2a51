// The enhanced picture between runs and what the result page shows beside it. While a new run is
// under way the previous result waits here and comes back when the run is cancelled, fails or
// never starts, so an unsaved result is never lost to a second attempt. For every new result it
// keeps, computed once, the reference enlarged to the result's size by the engine's cubic
// resampling (the "before" picture of the comparison) and how many pictures were fused.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/super_resolve.h"
#include "image/rgb_image.h"

namespace lumivex {

struct EnhanceJob;

struct ResultSummary {
    int32_t width = 0;
    int32_t height = 0;
    int32_t pictures = 0;  // what the engine received: the pictures, or both fields of each frame
    int32_t fused = 0;     // of those, blended into the result (the reference included)
    bool fusedKnown = false;  // every non-reference picture was reported on
};

// "1016 × 760, 7 of 7 fused" (the count only when known); empty for an empty summary.
std::string ResultSummaryText(const ResultSummary& summary);
// The status text of the result page: which picture is shown, then the summary.
std::string ComparisonStatusText(const ResultSummary& summary, bool showingBefore);

class ResultKeeper {
public:
    ResultKeeper() = default;
    ResultKeeper(const ResultKeeper&) = delete;
    ResultKeeper& operator=(const ResultKeeper&) = delete;

    // Before the worker starts: moves the job's result, its ready flag and the comparison aside
    // and counts, through the job's observer, the pictures the run fuses. An observer the job
    // already had is called after the count, on the worker's thread.
    void BeginRun(EnhanceJob& job);
    // After the run has ended and the worker was joined (or never started): a success keeps the
    // new result and computes its comparison; anything else puts the previous result back. The
    // job's own observer is given back.
    void EndRun(EnhanceJob& job, bool succeeded);
    // New media replaced the job's frames and freed its result.
    void Clear();

    // The reference enlarged to the result's size; empty when there is none.
    const RgbImage& Before() const { return before_; }
    const ResultSummary& Summary() const { return summary_; }
    // Changes whenever the result may have changed (a run ended, new media).
    int32_t Generation() const { return generation_; }

private:
    void ComputeBefore(EnhanceJob& job);

    RgbImage before_;
    ResultSummary summary_;
    // The previous result while a run is under way.
    RgbImage keptResult_;
    RgbImage keptBefore_;
    ResultSummary keptSummary_;
    bool keptReady_ = false;
    // Written by the worker's observer, read after the join.
    std::atomic<int32_t> reports_{0};
    std::atomic<int32_t> accepted_{0};
    int32_t pictures_ = 0;
    int32_t generation_ = 0;
    // The job's observer from before the run, chained behind the count.
    RegistrationObserver ownObserver_;
};

}  // namespace lumivex
