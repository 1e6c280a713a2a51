// The step workflow of the main window without any widget: the four named steps, the input kind,
// which step toolbar goes with which step, the View enhanced image toggle and the enabling and
// checking of the main window's own commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumivex {

namespace step {
inline constexpr const char* kStart = "Start";
inline constexpr const char* kVideo = "Video";
inline constexpr const char* kSelection = "Selection";
inline constexpr const char* kEnhance = "Enhance";
}  // namespace step

// Input kinds are the job's InputKind values (job/job.h).
bool IsImageSetKind(int32_t inputKind);

// True for the four step names (compared exactly).
bool IsStepName(const std::string& name);

// The step toolbar shown with a step (129, 140, 141), or 0 for "Start" and unknown names.
int ToolbarForStep(const std::string& name);

// The step that View enhanced image goes to from currentStep.
std::string ViewToggleTarget(const std::string& currentStep, int32_t inputKind);

// Everything the enabling rules look at.
struct WorkflowFacts {
    std::string step;
    int32_t inputKind = 0;
    bool resultEmpty = true;
    bool standardBarVisible = true;
    bool videoBarVisible = false;
    bool imageBarVisible = false;
    bool resultBarVisible = false;
    bool statusBarVisible = true;
    // The result page's comparison: whether the enlarged reference exists, and is shown.
    bool beforeAvailable = false;
    bool showingBefore = false;
};

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

// The state of a command the main window answers itself, or nothing for commands that belong
// to the pages (play, pause, steps, tools, previous/next image, extraction).
std::optional<CommandState> MainWindowCommandState(int id, const WorkflowFacts& facts);

// The current step; starts on "Start" and changes only to a known step name.
class Workflow {
public:
    const std::string& CurrentStep() const { return step_; }
    // Returns false (and keeps the step) for a name that is not a step.
    bool SetStep(const std::string& name);

private:
    std::string step_ = step::kStart;
};

}  // namespace lumivex
