// The main window's actions, menu, toolbars and status bar.
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

#include "app/core/app_strings.h"
#include "app/core/command_ids.h"
#include "app/core/command_table.h"
#include "app/ui/app_icons.h"
#include "app/ui/main_window.h"

namespace lumivex {

namespace {

constexpr int kSeparator = 0;
constexpr int kStatePaneWidth = 150;
constexpr int kSliderWidth = 120;

bool IsCheckable(int commandId) {
    switch (commandId) {
        case command::kViewEnhancedImage:
        case command::kToggleStandardBar:
        case command::kToggleVideoBar:
        case command::kToggleImageBar:
        case command::kToggleResultBar:
        case command::kToggleStatusBar:
        case command::kZoomTool:
        case command::kHandTool:
        case command::kShowBefore:
            return true;
        default:
            return false;
    }
}

bool IsSlider(int commandId) {
    return commandId == command::kVideoReferenceSlider ||
           commandId == command::kImageReferenceSlider;
}

// The text an action shows in menus: the menu text, or for toolbar-only commands the tool tip.
QString ActionText(const CommandInfo& info) {
    if (*info.menuText != '\0') {
        return info.menuText;
    }
    return QString::fromStdString(CommandToolTip(info));
}

}  // namespace

QAction* MainWindow::CreateAction(int commandId) {
    const CommandInfo* info = FindCommand(commandId);
    auto* action = new QAction(ActionText(*info), this);
    action->setData(commandId);
    action->setStatusTip(QString::fromStdString(CommandPrompt(*info)));
    action->setToolTip(QString::fromStdString(CommandToolTip(*info)));
    if (*info->toolbarLabel != '\0') {
        action->setIconText(info->toolbarLabel);
    }
    if (*info->key != '\0') {
        action->setShortcut(QKeySequence(info->key));
        action->setShortcutContext(Qt::WindowShortcut);
    }
    action->setIcon(CommandIcon(commandId));
    action->setCheckable(IsCheckable(commandId));
    // Actions belong to the window too, so their keys work while their toolbar is hidden.
    addAction(action);
    connect(action, &QAction::triggered, this, [this, commandId] { RunCommand(commandId); });
    return action;
}

void MainWindow::CreateActions() {
    for (const auto& table : {AllCommands(), ViewerCommands()}) {
        for (const CommandInfo& info : table) {
            if (!IsSlider(info.id)) {
                actions_[info.id] = CreateAction(info.id);
            }
        }
    }
}

void MainWindow::CreateMenus() {
    using namespace command;
    QMenu* file = menuBar()->addMenu("&File");
    for (int id : {kOpenMedia, kSaveEnhancedImage, kCloseMedia}) {
        file->addAction(Action(id));
    }
    file->addSeparator();
    file->addAction(Action(kExit));

    QMenu* view = menuBar()->addMenu("&View");
    view->addAction(Action(kViewEnhancedImage));
    view->addSeparator();
    QMenu* bars = view->addMenu("&Toolbars");
    for (int id : {kToggleStandardBar, kToggleVideoBar, kToggleImageBar, kToggleResultBar}) {
        bars->addAction(Action(id));
    }
    view->addAction(Action(kToggleStatusBar));
    view->addSeparator();
    for (int id : {kShowBefore, kZoomToFit, kActualSize}) {
        view->addAction(Action(id));
    }

    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->addAction(Action(kEnhance));
    tools->addAction(Action(kExtractVideoFrames));

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction(Action(kHelp));
    help->addAction(Action(kVisitWebSite));
    help->addSeparator();
    help->addAction(Action(kAbout));

    for (QMenu* menu : {file, view, bars, tools, help}) {
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::RefreshCommands);
    }
}

QToolBar* MainWindow::CreateToolBar(int barId, const QString& caption,
                                    std::initializer_list<int> items) {
    auto* bar = new QToolBar(caption, this);
    bar->setObjectName(caption);
    for (int id : items) {
        if (id == kSeparator) {
            bar->addSeparator();
        } else if (IsSlider(id)) {
            AddReferenceSlider(bar, id);
        } else {
            bar->addAction(Action(id));
        }
    }
    addToolBar(Qt::TopToolBarArea, bar);
    toolBars_[barId] = bar;
    return bar;
}

void MainWindow::AddReferenceSlider(QToolBar* bar, int commandId) {
    const CommandInfo* info = FindCommand(commandId);
    bar->addWidget(new QLabel(QString(info->toolbarLabel) + " ", bar));
    auto* slider = new QSlider(Qt::Horizontal, bar);
    slider->setObjectName(QString("slider%1").arg(commandId));
    slider->setFixedWidth(kSliderWidth);
    slider->setToolTip(QString::fromStdString(CommandToolTip(*info)));
    slider->setStatusTip(QString::fromStdString(CommandPrompt(*info)));
    slider->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(slider);
    sliders_[commandId].append(slider);
}

void MainWindow::CreateToolBars() {
    using namespace command;
    QToolBar* standard =
        CreateToolBar(kStandardBar, "Default",
                      {kOpenMedia, kEnhance, kSeparator, kViewEnhancedImage, kSaveEnhancedImage});
    standard->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    CreateToolBar(kVideoBar, "Video Reference Selection",
                  {kPlay, kPause, kSeparator, kVideoReferenceSlider, kSeparator, kStepBackward,
                   kStepForward});
    CreateToolBar(kImageBar, "Image Reference Selection",
                  {kZoomTool, kHandTool, kSeparator, kImageReferenceSlider, kSeparator,
                   kPreviousImage, kNextImage});
    CreateToolBar(kResultBar, "Enhanced Image View", {kZoomTool, kHandTool, kSeparator, kShowBefore});
}

void MainWindow::CreateStatusBar() {
    idlePane_ = new QLabel(this);
    statePane_ = new QLabel(this);
    statePane_->setObjectName("pane1700");
    statePane_->setFixedWidth(kStatePaneWidth);
    statePane_->setFrameShape(QFrame::Panel);
    statePane_->setFrameShadow(QFrame::Sunken);
    // Shown on the result page only: which picture is shown, its size and what was fused.
    resultInfoPane_ = new QLabel(this);
    resultInfoPane_->setObjectName("resultInfo");
    resultInfoPane_->setFrameShape(QFrame::Panel);
    resultInfoPane_->setFrameShadow(QFrame::Sunken);
    resultInfoPane_->hide();
    statusBar()->addWidget(idlePane_, 1);
    statusBar()->addPermanentWidget(resultInfoPane_);
    statusBar()->addPermanentWidget(statePane_);
}

void MainWindow::SwitchStepToolBar() {
    if (toolBars_.empty()) {
        return;
    }
    const int shown = ToolbarForStep(CurrentStep());
    for (int id : {command::kVideoBar, command::kImageBar, command::kResultBar}) {
        toolBars_[id]->setVisible(id == shown);
    }
}

}  // namespace lumivex
