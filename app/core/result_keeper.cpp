#include "app/core/result_keeper.h"

#include <cstdlib>
#include <utility>

#include "engine/resample.h"
#include "job/job.h"

namespace lumivex {

std::string ResultSummaryText(const ResultSummary& summary) {
    if (summary.width <= 0 || summary.height <= 0) {
        return {};
    }
    std::string text = std::to_string(summary.width) + " \u00d7 " + std::to_string(summary.height);
    if (summary.fusedKnown) {
        text += ", " + std::to_string(summary.fused) + " of " + std::to_string(summary.pictures) +
                " fused";
    }
    return text;
}

std::string ComparisonStatusText(const ResultSummary& summary, bool showingBefore) {
    const std::string size = ResultSummaryText(summary);
    if (size.empty()) {
        return {};
    }
    return showingBefore ? "Before: the reference enlarged, " + size : "After: " + size;
}

void ResultKeeper::BeginRun(EnhanceJob& job) {
    keptResult_.TakeFrom(job.result);
    keptBefore_.TakeFrom(before_);
    keptSummary_ = std::exchange(summary_, {});
    keptReady_ = std::exchange(job.resultReady, false);
    reports_ = 0;
    accepted_ = 0;
    pictures_ = EngineInputOf(job).count;
    ownObserver_ = std::move(job.observer);
    job.observer = [this](const RegistrationReport& report) {
        ++reports_;
        if (report.accepted) {
            ++accepted_;
        }
        if (ownObserver_) {
            ownObserver_(report);
        }
    };
}

void ResultKeeper::EndRun(EnhanceJob& job, bool succeeded) {
    job.observer = std::exchange(ownObserver_, nullptr);
    ++generation_;
    if (succeeded && !job.result.IsEmpty()) {
        keptResult_.Release();
        keptBefore_.Release();
        summary_ = {job.result.Width(), std::abs(job.result.Height()), pictures_,
                    1 + accepted_.load(), reports_.load() == pictures_ - 1};
        ComputeBefore(job);
        return;
    }
    if (!keptResult_.IsEmpty()) {
        job.result.TakeFrom(keptResult_);
        job.resultReady = keptReady_;
    }
    before_.TakeFrom(keptBefore_);
    summary_ = keptSummary_;
}

void ResultKeeper::Clear() {
    ++generation_;
    before_.Release();
    keptResult_.Release();
    keptBefore_.Release();
    summary_ = {};
}

// The engine's own first step: the reference (for interlaced frames its first field) enlarged
// onto the output grid by cubic resampling.
void ResultKeeper::ComputeBefore(EnhanceJob& job) {
    before_.Release();
    const EngineInput input = EngineInputOf(job);
    const std::vector<uint8_t*> pointers = BuildFramePointers(job);
    if (input.reference < 0 || input.reference >= static_cast<int32_t>(pointers.size()) ||
        !before_.Allocate(summary_.width, summary_.height, 24)) {
        return;
    }
    if (before_.Stride() != summary_.width * 3) {
        before_.Release();  // the engine's planes have packed rows
        return;
    }
    const engine::BytePlane source{input.height, job.width, 3, pointers[input.reference]};
    const engine::BytePlane target{summary_.height, summary_.width, 3, before_.Bits()};
    engine::ResampleCubic(target, source);
}

}  // namespace lumivex
