// The Enhance command in the main window: the profile dialog, the video page's gathering, the
// progress window and the 300 ms poll timer around the widget-free EnhanceCommand. The interface
// thread never waits for the worker; every poll is a timer event.
#pragma once

#include <QObject>
#include <QPointer>

#include "app/core/enhance_command.h"

class QTimer;
class QWidget;

namespace lumivex {

class ProgressWindow;
class WorkflowHost;

class EnhanceRunner : public QObject, public EnhanceCommandHost {
    Q_OBJECT

public:
    // window owns the dialogs; the runner becomes its child.
    EnhanceRunner(WorkflowHost& host, QWidget* window, const ProfileList& profiles);

    EnhanceStart Run() { return command_.Run(); }
    bool Running() const { return command_.Running(); }
    QTimer* PollTimer() const { return timer_; }
    ResultKeeper& Results() { return command_.Results(); }

    // --- EnhanceCommandHost ---
    bool ChooseProfile() override;
    bool GatherVideoFrames() override;
    void OpenProgress() override;
    void CloseProgress() override;
    bool ProgressCancelled() const override;
    void SetProgressPosition(int32_t position) override;
    void StartPolling() override;
    void StopPolling() override;
    void ShowStep(const std::string& name) override;
    MessageSink& Messages() override;

private:
    WorkflowHost& host_;
    QWidget* window_;
    const ProfileList& profiles_;
    EnhanceCommand command_;
    QTimer* timer_;
    // The window lives in the main window; it may be destroyed there (closing the program).
    QPointer<ProgressWindow> progress_;
};

}  // namespace lumivex
