// The main window: menu, four toolbars, two-pane status bar and the step container with the
// workflow pages. It holds the application's one EnhanceJob and routes every command: the
// current page first, then every other page, then its own handlers.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

#include "app/core/enhance_command_save.h"
#include "app/core/settings_store.h"
#include "app/core/workflow.h"
#include "app/ui/message_box_sink.h"
#include "app/ui/workflow_host.h"
#include "job/job.h"
#include "profiles/profile_list.h"

class QAction;
class QLabel;
class QSlider;
class QToolBar;

namespace lumivex {

class EnhanceRunner;
class ProgressWindow;
class StepContainer;

class MainWindow : public QMainWindow, public WorkflowHost {
    Q_OBJECT

public:
    // Reads the saved placement from settings; stores it there again when the window closes.
    // Messages go to messages when given (tests), else to message boxes.
    explicit MainWindow(SettingsStore& settings, MessageSink* messages = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- WorkflowHost ---
    EnhanceJob& Job() override { return job_; }
    void SetStep(const std::string& name) override;
    WorkflowPage* FindPage(const std::string& name) const override;
    const std::string& CurrentStep() const override { return workflow_.CurrentStep(); }
    void SetPageStateText(const QString& text) override;
    void SetResultInfoText(const QString& text) override;
    QList<QSlider*> ReferenceSliders(int commandId) const override;
    MessageSink& Messages() override { return *messages_; }
    ProgressWindow* OpenProgressWindow(const QString& caption) override;
    void CloseProgressWindow() override;
    void RunCommand(int commandId) override;
    void RefreshCommands() override;
    SettingsStore* Settings() override { return &settings_; }
    const ResultKeeper* Results() const override;

    // The profile list, built once at start-up.
    ProfileList& Profiles() { return profiles_; }
    // Status pane 0 when no prompt is shown ("Ready").
    void SetIdleText(const QString& text);
    QString IdleText() const;
    QString PageStateText() const;
    QString ResultInfoText() const;

    // The action of a command identifier, or nullptr.
    QAction* Action(int commandId) const;
    QToolBar* ToolBar(int barId) const;
    StepContainer* Container() const { return container_; }
    // True when the window was created at its default size (and centred).
    bool NoSavedPlacement() const { return noSavedPlacement_; }

    // Open media with the paths a file dialog would return (the dialog itself is skipped).
    void OpenMediaPaths(const std::vector<std::string>& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Files dropped onto the window open as Open media opens them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction (main_window_bars.cpp).
    void CreateActions();
    QAction* CreateAction(int commandId);
    void CreateMenus();
    void CreateToolBars();
    QToolBar* CreateToolBar(int barId, const QString& caption, std::initializer_list<int> items);
    void AddReferenceSlider(QToolBar* bar, int commandId);
    void CreateStatusBar();
    void SwitchStepToolBar();

    // Placement (main_window_placement.cpp).
    void RestorePlacement();
    void StorePlacement();

    // Command handling (main_window_commands.cpp).
    void DispatchCommand(int commandId);
    bool HandleOwnCommand(int commandId);
    CommandState EvaluateCommand(int commandId) const;
    WorkflowFacts Facts() const;
    void OpenMedia();
    void CloseMedia();
    void ResetMedia();
    void ViewEnhancedImage();
    void ToggleBar(QWidget* bar);
    void ShowHelp();
    // Opens an address or the help page; tells the user when no browser could show it.
    void OpenInBrowser(const std::string& target);
    void ShowAbout();
    void Enhance();
    SaveOutcome SaveEnhancedImage();
    // Before an unsaved result is discarded: asks question (Yes saves it); false when the
    // result must be kept, because the save was cancelled or could not be written. True at once
    // when nothing unsaved exists.
    bool MayDiscardResult(const char* question);

    SettingsStore& settings_;
    EnhanceJob job_;
    ProfileList profiles_;
    Workflow workflow_;
    MessageBoxSink messageBoxes_;
    MessageSink* messages_;
    StepContainer* container_ = nullptr;
    ProgressWindow* progress_ = nullptr;
    EnhanceRunner* enhanceRunner_ = nullptr;  // a child
    std::map<int, QAction*> actions_;
    std::map<int, QToolBar*> toolBars_;
    std::map<int, QList<QSlider*>> sliders_;
    QLabel* idlePane_ = nullptr;
    QLabel* statePane_ = nullptr;
    QLabel* resultInfoPane_ = nullptr;
    bool noSavedPlacement_ = false;
};

}  // namespace lumivex
