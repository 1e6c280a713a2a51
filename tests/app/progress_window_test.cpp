#include "app/ui/progress_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "qt_test_application.h"

namespace lumivex {
namespace {

class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::TestApplication();
        owner_.resize(640, 480);
        owner_.show();
    }
    QWidget owner_;
};

TEST_F(ProgressWindowTest, ModalWindowDisablesTheOwnerUntilDestroyed) {
    auto* progress = new ProgressWindow(&owner_);
    progress->BeginModal("Work in progress");
    EXPECT_FALSE(owner_.isEnabled());
    EXPECT_EQ(progress->DisabledOwner(), &owner_);
    EXPECT_TRUE(progress->isEnabled());
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->windowTitle(), "Work in progress");
    delete progress;
    EXPECT_TRUE(owner_.isEnabled());
}

TEST_F(ProgressWindowTest, CaptionShowsThePercentageOnceItChanges) {
    ProgressWindow progress(&owner_);
    progress.BeginModal("Work in progress");
    progress.SetText("Lumivex is enhancing the image. \n\nPlease be patient ...");
    progress.SetRange(0, 100, 1);
    progress.SetPosition(0);
    EXPECT_EQ(progress.windowTitle(), "Work in progress");
    EXPECT_EQ(progress.SetPosition(42), 0);
    EXPECT_EQ(progress.windowTitle(), "Progress [42%]");
    EXPECT_EQ(progress.Bar()->value(), 42);
    // Same percentage: the caption is not rewritten (a changed title stays as set).
    progress.setWindowTitle("marker");
    EXPECT_EQ(progress.SetPosition(42), 42);
    EXPECT_EQ(progress.windowTitle(), "marker");
    EXPECT_EQ(progress.MessageLabel()->text(),
              "Lumivex is enhancing the image. \n\nPlease be patient ...");
}

TEST_F(ProgressWindowTest, EmptyRangeShowsZeroPercent) {
    ProgressWindow progress(&owner_);
    progress.BeginModal("Work in progress");
    progress.SetRange(5, 5, 1);
    progress.SetPosition(3);
    EXPECT_EQ(progress.State().Percent(), 0);
    EXPECT_EQ(progress.windowTitle(), "Work in progress");
}

TEST_F(ProgressWindowTest, CancelHidesAndMarksWithoutEnablingTheOwner) {
    ProgressWindow progress(&owner_);
    progress.BeginModal("Work in progress");
    progress.SetPosition(10);
    progress.CancelButton()->click();
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_FALSE(progress.isVisible());
    EXPECT_FALSE(owner_.isEnabled());
    // The closed window ignores later positions and stays hidden.
    progress.SetPosition(80);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.State().Position(), 10);
    progress.EndModal();
    EXPECT_TRUE(owner_.isEnabled());
}

TEST_F(ProgressWindowTest, HiddenBarAndButtonLeaveOnlyTheMessage) {
    ProgressWindow progress(&owner_);
    progress.BeginModal("Work in progress");
    progress.SetControlVisible(ProgressWindow::kBarId, false);
    progress.SetControlVisible(ProgressWindow::kCancelButtonId, false);
    EXPECT_FALSE(progress.Bar()->isVisible());
    EXPECT_FALSE(progress.CancelButton()->isVisible());
    EXPECT_TRUE(progress.MessageLabel()->isVisible());
    EXPECT_EQ(progress.CancelButton()->text(), " Cancel ");
}

TEST_F(ProgressWindowTest, HiddenWindowReappearsOnTheNextPosition) {
    ProgressWindow progress(&owner_);
    progress.BeginModal("Work in progress");
    progress.hide();
    progress.SetPosition(5);
    EXPECT_TRUE(progress.isVisible());
}

// The title bar offers no close button and a close from the window manager is refused; while
// Cancel is offered, Escape pressed in the window or in its disabled owner means Cancel.
TEST_F(ProgressWindowTest, EscapeCancelsOnlyWhileCancelIsOffered) {
    const struct {
        bool cancelShown;
        bool inOwner;
        bool cancels;
    } cases[] = {
        {true, false, true}, {true, true, true}, {false, false, false}, {false, true, false}};
    for (const auto& c : cases) {
        ProgressWindow progress(&owner_);
        progress.BeginModal("Work in progress");
        EXPECT_FALSE(progress.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        progress.close();
        EXPECT_TRUE(progress.isVisible());
        progress.SetControlVisible(ProgressWindow::kCancelButtonId, c.cancelShown);
        QTest::keyClick(c.inOwner ? &owner_ : static_cast<QWidget*>(&progress), Qt::Key_Escape);
        EXPECT_EQ(progress.Cancelled(), c.cancels) << c.cancelShown << c.inOwner;
        EXPECT_EQ(progress.isVisible(), !c.cancels) << c.cancelShown << c.inOwner;
    }
}

}  // namespace
}  // namespace lumivex
