#include "app/core/workflow.h"

#include "app/core/command_ids.h"
#include "job/job.h"

namespace lumivex {

bool IsImageSetKind(int32_t inputKind) {
    return inputKind == kInputImageSet || inputKind == kInputImageSetSelection;
}

bool IsStepName(const std::string& name) {
    return name == step::kStart || name == step::kVideo || name == step::kSelection ||
           name == step::kEnhance;
}

int ToolbarForStep(const std::string& name) {
    if (name == step::kVideo) {
        return command::kVideoBar;
    }
    if (name == step::kSelection) {
        return command::kImageBar;
    }
    if (name == step::kEnhance) {
        return command::kResultBar;
    }
    return 0;
}

std::string ViewToggleTarget(const std::string& currentStep, int32_t inputKind) {
    if (currentStep != step::kEnhance) {
        return step::kEnhance;
    }
    return IsImageSetKind(inputKind) ? step::kSelection : step::kVideo;
}

namespace {

CommandState Always() {
    return {true, false};
}
CommandState When(bool enabled) {
    return {enabled, false};
}
CommandState BarToggle(bool enabled, bool visible) {
    return {enabled, visible};
}

}  // namespace

std::optional<CommandState> MainWindowCommandState(int id, const WorkflowFacts& facts) {
    using namespace command;
    const bool onEnhance = facts.step == step::kEnhance;
    switch (id) {
        case kOpenMedia:
        case kExit:
        case kHelp:
        case kVisitWebSite:
        case kAbout:
        case kWelcomeAboutLink:
        case kWelcomeWebLink:
            return Always();
        case kSaveEnhancedImage:
            return When(!facts.resultEmpty && onEnhance);
        case kCloseMedia:
            return When(facts.inputKind != kInputNone);
        case kViewEnhancedImage:
            return CommandState{!facts.resultEmpty, onEnhance};
        case kEnhance:
            return When(facts.inputKind != kInputNone &&
                        (facts.step == step::kVideo || facts.step == step::kSelection));
        case kToggleStandardBar:
            return BarToggle(true, facts.standardBarVisible);
        case kToggleStatusBar:
            return BarToggle(true, facts.statusBarVisible);
        case kToggleVideoBar:
            return BarToggle(facts.step == step::kVideo, facts.videoBarVisible);
        case kToggleImageBar:
            return BarToggle(facts.step == step::kSelection, facts.imageBarVisible);
        case kToggleResultBar:
            return BarToggle(onEnhance, facts.resultBarVisible);
        case kVideoReferenceSlider:
            return When(facts.step == step::kVideo);
        case kImageReferenceSlider:
            return When(facts.step == step::kSelection);
        case kShowBefore:
            return CommandState{onEnhance && !facts.resultEmpty && facts.beforeAvailable,
                                facts.showingBefore};
        case kZoomToFit:
        case kActualSize:
            return When(onEnhance || facts.step == step::kSelection);
        default:
            return std::nullopt;
    }
}

bool Workflow::SetStep(const std::string& name) {
    if (!IsStepName(name)) {
        return false;
    }
    step_ = name;
    return true;
}

}  // namespace lumivex
