#include "app/core/enhance_command.h"

#include "app/core/workflow.h"
#include "image/message_sink.h"
#include "job/job.h"

namespace lumivex {

PollAction DecidePoll(int32_t status, bool cancelPressed) {
    PollAction action;
    if (status < 0) {
        action.finished = true;
        return action;
    }
    action.carryCancel = cancelPressed;
    action.position = status;
    return action;
}

std::string StepAfterRun(int32_t status) {
    return status == kEnhanceCancelled ? std::string() : std::string(step::kEnhance);
}

std::string FailureTextAfterRun(int32_t status, bool previousResultKept) {
    if (status != kEnhanceFailed) {
        return {};
    }
    return previousResultKept ? text::kEnhanceFailedResultKept : text::kEnhanceFailed;
}

EnhanceCommand::EnhanceCommand(EnhanceJob& job, const ProfileList& profiles,
                               EnhanceCommandHost& host)
    : EnhanceCommand(job, profiles, host, &StartEnhancement) {}

EnhanceCommand::EnhanceCommand(EnhanceJob& job, const ProfileList& profiles,
                               EnhanceCommandHost& host, WorkerStarter starter)
    : job_(job), profiles_(profiles), host_(host), starter_(std::move(starter)) {}

EnhanceStart EnhanceCommand::Run() {
    if (running_ || !host_.ChooseProfile()) {
        return EnhanceStart::kNoProfileChosen;
    }
    if (job_.inputKind == kInputVideoOpen && !host_.GatherVideoFrames()) {
        host_.Messages().ShowMessage(text::kVideoNotLoaded, {}, MessageIcon::kError);
        return EnhanceStart::kVideoNotLoaded;
    }
    if (job_.FrameCount() <= 0) {
        host_.Messages().ShowMessage(text::kNoInputImages, {}, MessageIcon::kError);
        return EnhanceStart::kNoInputImages;
    }
    if (!PrepareRun()) {
        return EnhanceStart::kRefused;
    }
    host_.OpenProgress();
    results_.BeginRun(job_);
    if (!starter_(job_)) {
        results_.EndRun(job_, false);
        host_.CloseProgress();
        host_.Messages().ShowMessage(text::kWorkerNotStarted, {}, MessageIcon::kError);
        return EnhanceStart::kWorkerNotStarted;
    }
    running_ = true;
    host_.StartPolling();
    return EnhanceStart::kStarted;
}

bool EnhanceCommand::PrepareRun() {
    LoadJobProfile(job_, profiles_);
    // Sizes the worker would fail on (an output beyond the picture limit, frames the engine
    // cannot register) are told now, before a progress window promises a result.
    const std::string refusal = EnhancementRefusal(job_, ComputeOutputSize(job_, job_.params));
    if (!refusal.empty()) {
        host_.Messages().ShowMessage(refusal, {}, MessageIcon::kWarning);
        return false;
    }
    return true;
}

bool EnhanceCommand::Tick() {
    if (!running_) {
        return false;
    }
    const int32_t status = job_.progress.status;
    const PollAction action = DecidePoll(status, host_.ProgressCancelled());
    if (!action.finished) {
        if (action.carryCancel) {
            job_.progress.cancel = true;
        }
        host_.SetProgressPosition(action.position);
        return false;
    }
    host_.CloseProgress();
    host_.StopPolling();
    // The worker finishes the result just after its final status; the join makes it safe.
    JoinWorker(job_);
    running_ = false;
    results_.EndRun(job_, status == kEnhanceSucceeded);
    const std::string step = StepAfterRun(status);
    if (!step.empty()) {
        host_.ShowStep(step);
    }
    const std::string failure = FailureTextAfterRun(status, !job_.result.IsEmpty());
    if (!failure.empty()) {
        host_.Messages().ShowMessage(failure, {}, MessageIcon::kError);
    }
    return true;
}

}  // namespace lumivex
