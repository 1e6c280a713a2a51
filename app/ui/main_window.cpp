#include "app/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

#include "app/core/app_strings.h"
#include "app/core/window_placement.h"
#include "app/ui/app_icons.h"
#include "app/ui/enhance_runner.h"
#include "app/ui/progress_window.h"
#include "app/ui/step_container.h"
#include "app/ui/workflow_page.h"
#include "app/ui/workflow_pages.h"

namespace lumivex {

MainWindow::MainWindow(SettingsStore& settings, MessageSink* messages, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      messageBoxes_(this),
      messages_(messages != nullptr ? messages : &messageBoxes_) {
    setWindowTitle(text::kApplicationName);
    setMinimumSize(kMinimumWindowWidth, kMinimumWindowHeight);
    setAcceptDrops(true);
    RestorePlacement();

    container_ = new StepContainer(this);
    setCentralWidget(container_);
    CreateWorkflowPages(*container_, *this);
    SetStep(step::kStart);

    setWindowIcon(ApplicationIcon());
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    SwitchStepToolBar();
    enhanceRunner_ = new EnhanceRunner(*this, this, profiles_);

    // The enabled and checked states follow the state they depend on: every command, step
    // switch and end of a run refreshes them, and so does a bar the user hides or shows.
    for (auto& [id, bar] : toolBars_) {
        connect(bar, &QToolBar::visibilityChanged, this, &MainWindow::RefreshCommands);
    }
    qApp->installEventFilter(this);
    RefreshCommands();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    CloseProgressWindow();
}

void MainWindow::SetStep(const std::string& name) {
    if (!IsStepName(name) || !container_->ShowPage(name)) {
        return;
    }
    workflow_.SetStep(name);
    SwitchStepToolBar();
    RefreshCommands();
}

const ResultKeeper* MainWindow::Results() const {
    return enhanceRunner_ != nullptr ? &enhanceRunner_->Results() : nullptr;
}

WorkflowPage* MainWindow::FindPage(const std::string& name) const {
    return container_->FindPage(name);
}

void MainWindow::SetPageStateText(const QString& text) {
    if (statePane_ != nullptr) {
        statePane_->setText(text);
    }
}

void MainWindow::SetResultInfoText(const QString& text) {
    if (resultInfoPane_ != nullptr) {
        resultInfoPane_->setText(text);
        resultInfoPane_->setVisible(!text.isEmpty());
    }
}

QString MainWindow::ResultInfoText() const {
    return resultInfoPane_ != nullptr ? resultInfoPane_->text() : QString();
}

QString MainWindow::PageStateText() const {
    return statePane_ != nullptr ? statePane_->text() : QString();
}

void MainWindow::SetIdleText(const QString& text) {
    idlePane_->setText(text);
}

QString MainWindow::IdleText() const {
    return idlePane_->text();
}

QList<QSlider*> MainWindow::ReferenceSliders(int commandId) const {
    auto it = sliders_.find(commandId);
    return it == sliders_.end() ? QList<QSlider*>() : it->second;
}

QAction* MainWindow::Action(int commandId) const {
    auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

QToolBar* MainWindow::ToolBar(int barId) const {
    auto it = toolBars_.find(barId);
    return it == toolBars_.end() ? nullptr : it->second;
}

ProgressWindow* MainWindow::OpenProgressWindow(const QString& caption) {
    if (progress_ == nullptr) {
        progress_ = new ProgressWindow(this);
    }
    progress_->BeginModal(caption);
    return progress_;
}

void MainWindow::CloseProgressWindow() {
    if (progress_ == nullptr) {
        return;
    }
    progress_->EndModal();
    delete progress_;
    progress_ = nullptr;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!keyEvent || widget == nullptr || widget->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool imageStep = CurrentStep() == step::kEnhance || CurrentStep() == step::kSelection;
    const bool modifierKey = key->key() == Qt::Key_Control || key->key() == Qt::Key_Alt;
    if (imageStep && modifierKey && !key->isAutoRepeat() && container_->CurrentPage()) {
        Qt::KeyboardModifiers modifiers = key->modifiers();
        const Qt::KeyboardModifier changed =
            key->key() == Qt::Key_Control ? Qt::ControlModifier : Qt::AltModifier;
        modifiers.setFlag(changed, event->type() == QEvent::KeyPress);
        container_->CurrentPage()->ModifierKeysChanged(modifiers);
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace lumivex
