#include "app/ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/core/command_ids.h"
#include "app/core/command_table.h"
#include "app/core/window_placement.h"
#include "app/ui/step_container.h"
#include "app/ui/workflow_page.h"
#include "qt_test_application.h"

namespace lumivex {
namespace {

using namespace command;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::TestApplication(); }

    // The texts of a menu's actions, separators as "-", sub-menus by their title.
    static QStringList MenuTexts(QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << (action->isSeparator() ? QString("-") : action->text());
        }
        return texts;
    }

    static QMenu* TopMenu(MainWindow& window, const QString& title) {
        for (QAction* action : window.menuBar()->actions()) {
            if (action->text() == title) {
                return action->menu();
            }
        }
        return nullptr;
    }

    bool Enabled(MainWindow& window, int id) {
        window.RefreshCommands();
        return window.Action(id)->isEnabled();
    }

    MemorySettingsStore settings_;
    CollectingMessageSink messages_;
};

TEST_F(MainWindowTest, MenusHoldTheCommandTexts) {
    MainWindow window(settings_, &messages_);
    EXPECT_EQ(MenuTexts(TopMenu(window, "&File")),
              (QStringList{"&Open media ...\tCtrl+O", "&Save enhanced image ...\tCtrl+S",
                           "&Close media", "-", "E&xit"}));
    EXPECT_EQ(MenuTexts(TopMenu(window, "&View")),
              (QStringList{"&View enhanced image\tCtrl+V", "-", "&Toolbars", "&Status Bar", "-",
                           "Show &before\t\\", "Zoom to &fit\tCtrl+0", "&Actual size\tCtrl+1"}));
    QMenu* bars = TopMenu(window, "&View")->actions()[2]->menu();
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(MenuTexts(bars), (QStringList{"&Standard", "&Video Reference Selection",
                                            "&Image Reference Selection", "&Enhanced Image View"}));
    EXPECT_EQ(MenuTexts(TopMenu(window, "&Tools")),
              (QStringList{"&Enhance ...\tCtrl+E", "E&xtract video frames ..."}));
    EXPECT_EQ(MenuTexts(TopMenu(window, "&Help")),
              (QStringList{"&Help ...\tF1", "Visit Corvanes' &web site", "-", "&About ..."}));
}

TEST_F(MainWindowTest, ActionsKeepTheirIdentifierPromptAndKey) {
    MainWindow window(settings_, &messages_);
    QAction* open = window.Action(kOpenMedia);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->data().toInt(), kOpenMedia);
    // Every action carries its table's prompt and tool tip, which the table's test checks (an
    // action without a tool tip shows its menu text).
    for (const CommandInfo& info : AllCommands()) {
        if (QAction* action = window.Action(info.id)) {
            EXPECT_EQ(action->statusTip().toStdString(), CommandPrompt(info)) << info.id;
            if (!CommandToolTip(info).empty()) {
                EXPECT_EQ(action->toolTip().toStdString(), CommandToolTip(info)) << info.id;
            }
        }
    }
    EXPECT_EQ(open->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(window.Action(kNextImage)->shortcut(), QKeySequence(Qt::Key_Right));
    EXPECT_EQ(window.Action(kStepBackward)->shortcut(), QKeySequence("Ctrl+Left"));
    EXPECT_EQ(window.Action(kHelp)->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(window.Action(kCloseMedia)->shortcut().isEmpty());
}

TEST_F(MainWindowTest, ToolbarsHoldTheirButtonsInOrder) {
    MainWindow window(settings_, &messages_);
    QToolBar* standard = window.ToolBar(kStandardBar);
    EXPECT_EQ(standard->windowTitle(), "Default");
    QStringList labels;
    for (QAction* action : standard->actions()) {
        labels << (action->isSeparator() ? QString("-") : action->iconText());
    }
    EXPECT_EQ(labels, (QStringList{"Open", "Enhance", "-", "Result", "Save"}));
    EXPECT_EQ(window.ToolBar(kVideoBar)->windowTitle(), "Video Reference Selection");
    EXPECT_EQ(window.ToolBar(kImageBar)->windowTitle(), "Image Reference Selection");
    EXPECT_EQ(window.ToolBar(kResultBar)->windowTitle(), "Enhanced Image View");
    EXPECT_EQ(
        window.ToolBar(kResultBar)->actions(),
        (QList<QAction*>{window.Action(kZoomTool), window.Action(kHandTool),
                         window.ToolBar(kResultBar)->actions()[2], window.Action(kShowBefore)}));
    ASSERT_EQ(window.ReferenceSliders(kImageReferenceSlider).size(), 1);
    EXPECT_EQ(window.ReferenceSliders(kImageReferenceSlider)[0]->toolTip(),
              "Select reference image");
    EXPECT_EQ(window.ReferenceSliders(kVideoReferenceSlider)[0]->toolTip(),
              "Select reference video frame");
}

TEST_F(MainWindowTest, StartsOnTheWelcomePageWithTheStandardToolbarOnly) {
    MainWindow window(settings_, &messages_);
    window.show();
    EXPECT_EQ(window.CurrentStep(), "Start");
    EXPECT_TRUE(window.ToolBar(kStandardBar)->isVisible());
    EXPECT_FALSE(window.ToolBar(kVideoBar)->isVisible());
    EXPECT_FALSE(window.ToolBar(kImageBar)->isVisible());
    EXPECT_FALSE(window.ToolBar(kResultBar)->isVisible());
    EXPECT_EQ(window.Container()->CurrentPage()->StepName(), "Start");
    EXPECT_TRUE(Enabled(window, kOpenMedia));
    EXPECT_FALSE(Enabled(window, kEnhance));
    EXPECT_FALSE(Enabled(window, kCloseMedia));
    EXPECT_FALSE(Enabled(window, kSaveEnhancedImage));
    EXPECT_FALSE(Enabled(window, kViewEnhancedImage));
    EXPECT_FALSE(window.ReferenceSliders(kImageReferenceSlider)[0]->isEnabled());
}

TEST_F(MainWindowTest, PagesAreRegisteredInWorkflowOrder) {
    MainWindow window(settings_, &messages_);
    QStringList names;
    for (WorkflowPage* page : window.Container()->Pages()) {
        names << QString::fromStdString(page->StepName());
    }
    EXPECT_EQ(names, (QStringList{"Start", "Selection", "Enhance", "Video"}));
}

TEST_F(MainWindowTest, SetStepSwitchesPageAndToolbar) {
    MainWindow window(settings_, &messages_);
    window.show();
    window.SetStep("Enhance");
    EXPECT_EQ(window.CurrentStep(), "Enhance");
    EXPECT_TRUE(window.ToolBar(kResultBar)->isVisible());
    EXPECT_FALSE(window.ToolBar(kImageBar)->isVisible());
    EXPECT_TRUE(window.FindPage("Enhance")->isVisible());
    EXPECT_FALSE(window.FindPage("Start")->isVisible());
    // The step toolbar sits right of the standard one.
    EXPECT_EQ(window.toolBarArea(window.ToolBar(kResultBar)), Qt::TopToolBarArea);
    EXPECT_GT(window.ToolBar(kResultBar)->x(), window.ToolBar(kStandardBar)->x());

    window.SetStep("Nowhere");
    EXPECT_EQ(window.CurrentStep(), "Enhance");
    EXPECT_TRUE(window.ToolBar(kResultBar)->isVisible());

    window.SetStep("Video");
    EXPECT_TRUE(window.ToolBar(kVideoBar)->isVisible());
    EXPECT_FALSE(window.ToolBar(kResultBar)->isVisible());
    EXPECT_TRUE(window.ReferenceSliders(kVideoReferenceSlider)[0]->isEnabled());
    window.SetStep("Start");
    for (int bar : {kVideoBar, kImageBar, kResultBar}) {
        EXPECT_FALSE(window.ToolBar(bar)->isVisible()) << bar;
    }
}

TEST_F(MainWindowTest, BarTogglesShowAndHideTheirBar) {
    MainWindow window(settings_, &messages_);
    window.show();
    window.SetStep("Selection");
    EXPECT_TRUE(window.Action(kToggleImageBar)->isChecked());
    window.RunCommand(kToggleImageBar);
    EXPECT_FALSE(window.ToolBar(kImageBar)->isVisible());
    EXPECT_FALSE(window.Action(kToggleImageBar)->isChecked());
    // Not on its step: disabled, so running it does nothing.
    window.RunCommand(kToggleVideoBar);
    EXPECT_FALSE(window.ToolBar(kVideoBar)->isVisible());
    window.RunCommand(kToggleStatusBar);
    EXPECT_FALSE(window.statusBar()->isVisible());
    EXPECT_FALSE(window.Action(kToggleStatusBar)->isChecked());
    window.RunCommand(kToggleStatusBar);
    EXPECT_TRUE(window.statusBar()->isVisible());
}

TEST_F(MainWindowTest, StatusBarHasTheReadyPaneAndTheStatePane) {
    MainWindow window(settings_, &messages_);
    window.show();
    window.SetIdleText("Ready");
    EXPECT_EQ(window.IdleText(), "Ready");
    auto* pane = window.findChild<QLabel*>("pane1700");
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->width(), 150);
    window.SetPageStateText("Zoom 100%");
    EXPECT_EQ(window.PageStateText(), "Zoom 100%");
}

TEST_F(MainWindowTest, FirstStartIsCentredAtTheDefaultSizeWithinTheMinimum) {
    MainWindow window(settings_, &messages_);
    EXPECT_TRUE(window.NoSavedPlacement());
    EXPECT_EQ(window.minimumSize(), QSize(600, 450));
    // 550 × 440 is asked for; the minimum size wins.
    EXPECT_EQ(window.size(), QSize(600, 450));
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window.geometry().center(),
              QRect(area.topLeft(), QSize(600, 450))
                  .translated((area.width() - 600) / 2, (area.height() - 450) / 2)
                  .center());
}

TEST_F(MainWindowTest, ClosingAndRestartingRestoresThePlacement) {
    const QRect wanted(40, 30, 700, 500);
    {
        MainWindow window(settings_, &messages_);
        window.show();
        window.setGeometry(wanted);
        window.close();
    }
    EXPECT_EQ(settings_.ReadInt("WindowPlacement", "Main_Status", -1), 1);
    EXPECT_NE(settings_.ReadInt("WindowPlacement", "Main_Right", -1), -1);
    MainWindow again(settings_, &messages_);
    EXPECT_FALSE(again.NoSavedPlacement());
    EXPECT_EQ(again.geometry(), wanted);
}

TEST_F(MainWindowTest, SavedPlacementOffEveryScreenIsCentred) {
    WritePlacement(settings_, SavedPlacement{1, 100, 9000, 600, 9700});
    MainWindow window(settings_, &messages_);
    const QRect screen = QApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.contains(window.geometry().center()));
    EXPECT_EQ(window.size(), QSize(700, 500));
}

}  // namespace
}  // namespace lumivex

namespace lumivex {
namespace {

// A page that answers one command and counts how often it ran it.
class AnsweringPage : public WorkflowPage {
public:
    AnsweringPage(WorkflowHost& host, int answered, bool enabled)
        : WorkflowPage("Extra", host), answered_(answered), enabled_(enabled) {}
    bool HandleCommand(int commandId) override {
        if (commandId != answered_) {
            return false;
        }
        ++runs;
        return true;
    }
    bool UpdateCommand(int commandId, CommandState& state) override {
        if (commandId != answered_) {
            return false;
        }
        state.enabled = enabled_;
        state.checked = true;
        return true;
    }
    int runs = 0;

private:
    int answered_;
    bool enabled_;
};

TEST_F(MainWindowTest, PagesThatAreNotCurrentStillReceiveCommands) {
    MainWindow window(settings_, &messages_);
    // The video page answers play, but extraction needs a loaded video.
    EXPECT_TRUE(Enabled(window, kPlay));
    EXPECT_FALSE(Enabled(window, kExtractVideoFrames));

    // A page that answers Open media takes it before the main window (no dialog opens).
    auto* page = new AnsweringPage(window, kOpenMedia, true);
    window.Container()->AddPage(page);
    window.RunCommand(kOpenMedia);
    EXPECT_EQ(page->runs, 1);
    // A step name the workflow does not know is never shown.
    window.SetStep("Extra");
    EXPECT_EQ(window.CurrentStep(), "Start");
    EXPECT_EQ(window.Container()->CurrentPage()->StepName(), "Start");
}

TEST_F(MainWindowTest, PagesComeBeforeTheMainWindowAndDisabledCommandsDoNotRun) {
    MainWindow window(settings_, &messages_);
    // A page that disables Open media overrides the main window's "always".
    auto* page = new AnsweringPage(window, kOpenMedia, false);
    window.Container()->AddPage(page);
    EXPECT_FALSE(Enabled(window, kOpenMedia));
    window.RunCommand(kOpenMedia);
    EXPECT_EQ(page->runs, 0);
}

}  // namespace
}  // namespace lumivex
