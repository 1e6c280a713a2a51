// The Enhance command without any widget: the checks made before a run, the start of the worker,
// the poll that carries progress and Cancel between the worker and the progress window, and what
// the user sees for each final status. A result that exists when a new run starts stays until that
// run succeeds. The window around it supplies the dialog, the progress
// window, the timer and the step switch through EnhanceCommandHost.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/core/result_keeper.h"

namespace lumivex {

struct EnhanceJob;
class MessageSink;
class ProfileList;

// Texts of the command.
namespace text {
inline constexpr const char* kVideoNotLoaded = "Error! Video is not properly loaded!!!";
inline constexpr const char* kNoInputImages = "Error! No input images available!!";
inline constexpr const char* kWorkerNotStarted =
    "The enhancement could not be started: the system refused to create its worker thread.";
inline constexpr const char* kEnhanceFailed =
    "The enhancement failed: no enhanced image could be made.";
inline constexpr const char* kEnhanceFailedResultKept =
    "The enhancement failed: no new enhanced image could be made. The previous enhanced image is "
    "shown and can still be saved.";
}  // namespace text

// How often the running enhancement is polled.
inline constexpr int kEnhancePollMilliseconds = 300;

class EnhanceCommandHost {
public:
    virtual ~EnhanceCommandHost() = default;
    // The profile selection dialog, modal; true when closed with OK.
    virtual bool ChooseProfile() = 0;
    // Asks the "Video" page to gather the frames around its position into the job. False when
    // there is no page that can do it (the job is then untouched).
    virtual bool GatherVideoFrames() = 0;
    // Opens the progress window modally (the window disabled) with the enhancing caption, text
    // and the range 0 ... 100 at position 0; closes and destroys it again.
    virtual void OpenProgress() = 0;
    virtual void CloseProgress() = 0;
    // Whether Cancel was pressed in the open progress window (false when none is open).
    virtual bool ProgressCancelled() const = 0;
    virtual void SetProgressPosition(int32_t position) = 0;
    // The periodic poll that calls EnhanceCommand::Tick.
    virtual void StartPolling() = 0;
    virtual void StopPolling() = 0;
    virtual void ShowStep(const std::string& name) = 0;
    virtual MessageSink& Messages() = 0;
};

// What one poll does with the status it read.
struct PollAction {
    bool finished = false;     // status < 0: close the window, stop polling, show the outcome
    bool carryCancel = false;  // status >= 0 and Cancel pressed: tell the worker to stop
    int32_t position = 0;      // status >= 0: the bar's position
};
PollAction DecidePoll(int32_t status, bool cancelPressed);

// The step shown once a run has ended with status: "Enhance" (the result page) for success and
// failure, nothing (stay on the current step) when cancelled.
std::string StepAfterRun(int32_t status);
// The error told once a run has ended with status, after its step is shown: empty unless the run
// failed; a failure that left the previous result on the page says that it can still be saved.
std::string FailureTextAfterRun(int32_t status, bool previousResultKept);

// How far Run got.
enum class EnhanceStart {
    kNoProfileChosen,   // the dialog was cancelled: nothing happened
    kVideoNotLoaded,    // input kind 4 and no "Video" page to gather the frames
    kNoInputImages,     // no frames to enhance
    kRefused,           // the job cannot run with the chosen profile (told why)
    kWorkerNotStarted,  // no worker thread (told so, window enabled again)
    kStarted,           // running; Tick follows every poll
};

class EnhanceCommand {
public:
    // Starts the worker; StartEnhancement unless a test replaces it.
    using WorkerStarter = std::function<bool(EnhanceJob&)>;

    EnhanceCommand(EnhanceJob& job, const ProfileList& profiles, EnhanceCommandHost& host);
    EnhanceCommand(EnhanceJob& job, const ProfileList& profiles, EnhanceCommandHost& host,
                   WorkerStarter starter);

    // The command: dialog, video gathering, checks, progress window, profile, worker, poll.
    EnhanceStart Run();
    // One poll. Returns true when the run ended with this poll (the worker has been joined).
    bool Tick();
    bool Running() const { return running_; }
    // The result between runs and its comparison picture.
    ResultKeeper& Results() { return results_; }
    const ResultKeeper& Results() const { return results_; }

private:
    // Loads the chosen profile and refuses what the worker could not run; false when refused.
    bool PrepareRun();

    EnhanceJob& job_;
    const ProfileList& profiles_;
    EnhanceCommandHost& host_;
    WorkerStarter starter_;
    ResultKeeper results_;
    bool running_ = false;
};

}  // namespace lumivex
