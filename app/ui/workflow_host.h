// What the workflow pages may ask of the main window: the job, the step switch, status pane 1,
// the reference sliders on the step toolbars, and where messages go.
#pragma once

#include <QList>
#include <QString>
#include <string>

class QSlider;

namespace lumivex {

struct EnhanceJob;
class MessageSink;
class ProgressWindow;
class ResultKeeper;
class SettingsStore;
class WorkflowPage;

class WorkflowHost {
public:
    virtual ~WorkflowHost() = default;

    // The one job of the application.
    virtual EnhanceJob& Job() = 0;
    // Shows the page of a step ("Start", "Video", "Selection", "Enhance"); unknown names do
    // nothing.
    virtual void SetStep(const std::string& name) = 0;
    // The page registered for a step, or nullptr.
    virtual WorkflowPage* FindPage(const std::string& name) const = 0;
    virtual const std::string& CurrentStep() const = 0;
    // Status pane 1 (the page's state text); an empty text clears it.
    virtual void SetPageStateText(const QString& text) = 0;
    // The result page's pane beside it: which picture is shown, its size and what was fused; an
    // empty text hides it.
    virtual void SetResultInfoText(const QString& /*text*/) {}
    // The "Ref:" sliders of command 2795 (video bar) or 9217 (image bar), one per toolbar.
    virtual QList<QSlider*> ReferenceSliders(int commandId) const = 0;
    // Message boxes for the user (caption "Lumivex" unless given).
    virtual MessageSink& Messages() = 0;
    // The progress window, created and shown modally (the main window disabled) when none
    // exists; CloseProgressWindow ends the modal state and destroys it.
    virtual ProgressWindow* OpenProgressWindow(const QString& caption) = 0;
    virtual void CloseProgressWindow() = 0;
    // Runs a command as if chosen from the menu (pages' own links and buttons).
    virtual void RunCommand(int commandId) = 0;
    // Re-evaluates the enabled and checked state of every command (after a page changed state
    // that an enabling rule reads).
    virtual void RefreshCommands() = 0;
    // The per-user settings; nullptr where none are kept.
    virtual SettingsStore* Settings() { return nullptr; }
    // The enhanced picture's comparison and summary; nullptr where no runs are made.
    virtual const ResultKeeper* Results() const { return nullptr; }
};

}  // namespace lumivex
