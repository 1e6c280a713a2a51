// The "Select profile" dialog as widgets: the sorted two-line items with the list's indexes, the
// combo, typing a ratio, OK and Cancel, and how an item is drawn.
#include "app/ui/profile_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "enhance_test_support.h"

namespace lumivex {
namespace {

using testing_support::FillJob;
using testing_support::TempFolder;

class ProfileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillJob(job_, 640, 480, 1);
        profiles_.Add(folder_.WriteProfile("Zoom", "[resolution]\nscale = 2\n"));
        profiles_.Add(folder_.WriteProfile("Default enhancement", "[resolution]\nscale = 1\n"));
    }

    static QStringList Texts(const CProfileDlg& dialog) {
        QStringList texts;
        for (int row = 0; row < dialog.List()->count(); ++row) {
            texts << dialog.List()->item(row)->text();
        }
        return texts;
    }

    static QPushButton* Button(const CProfileDlg& dialog, const QString& label) {
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == label) {
                return button;
            }
        }
        return nullptr;
    }

    TempFolder folder_;
    EnhanceJob job_;
    ProfileList profiles_;
};

TEST_F(ProfileDialogTest, ListsSortedItemsWithTheirListIndexes) {
    CProfileDlg dialog(job_, profiles_);
    EXPECT_EQ(dialog.windowTitle(), "Select profile");
    EXPECT_EQ(Texts(dialog), (QStringList{"Default enhancement\n Output resolution: 640x480",
                                          "Zoom\n Output resolution: 1280x960"}));
    EXPECT_EQ(dialog.List()->item(0)->data(Qt::UserRole).toInt(), 1);
    EXPECT_EQ(dialog.List()->item(1)->data(Qt::UserRole).toInt(), 0);
    EXPECT_EQ(dialog.List()->currentRow(), 1);  // the job's profile 0

    QComboBox* combo = dialog.AspectCombo();
    EXPECT_TRUE(combo->isEditable());
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(0), "Automatic");
    EXPECT_EQ(combo->itemText(3), "16 : 9");
    EXPECT_EQ(combo->currentText(), "Automatic");

    const int line = ProfileItemDelegate::LineHeight(dialog.List()->font());
    EXPECT_EQ(dialog.List()->visualItemRect(dialog.List()->item(0)).height(), 2 * line + 9);
}

TEST_F(ProfileDialogTest, TypedRatioRelistsAndOkStoresTheChosenProfile) {
    CProfileDlg dialog(job_, profiles_);
    dialog.show();
    QTest::keyClicks(dialog.AspectCombo()->lineEdit(), "2:1");
    EXPECT_EQ(Texts(dialog), (QStringList{"Default enhancement\n Output resolution: 640x320",
                                          "Zoom\n Output resolution: 1280x640"}));
    dialog.List()->setCurrentRow(0);
    QTest::mouseClick(Button(dialog, "OK"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(job_.profileIndex, 1);
    EXPECT_NEAR(job_.verticalFactor, 2.0 / 3.0, 1e-12);
}

TEST_F(ProfileDialogTest, CancelKeepsTheAspectButNotTheProfile) {
    CProfileDlg dialog(job_, profiles_);
    dialog.show();
    emit dialog.AspectCombo()->activated(3);
    EXPECT_EQ(dialog.List()->item(0)->text(), "Default enhancement\n Output resolution: 640x360");
    dialog.List()->setCurrentRow(0);
    QTest::mouseClick(Button(dialog, "Cancel"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_DOUBLE_EQ(job_.verticalFactor, 0.75);
    EXPECT_EQ(job_.profileIndex, 0);
}

TEST_F(ProfileDialogTest, UnselectedResolutionLineIsDrawnInTheShadowColour) {
    CProfileDlg dialog(job_, profiles_);
    dialog.show();
    dialog.List()->setCurrentRow(1);
    QPalette palette = dialog.List()->palette();
    palette.setColor(QPalette::Dark, QColor(255, 0, 0));
    palette.setColor(QPalette::Highlight, QColor(0, 0, 255));
    dialog.List()->setPalette(palette);
    const QImage image = dialog.List()->viewport()->grab().toImage();
    const QRect first = dialog.List()->visualItemRect(dialog.List()->item(0));
    const QRect second = dialog.List()->visualItemRect(dialog.List()->item(1));
    auto count = [&image](const QRect& area, auto predicate) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y) {
            for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
                n += predicate(image.pixelColor(x, y)) ? 1 : 0;
            }
        }
        return n;
    };
    auto reddish = [](const QColor& c) {
        return c.red() > 150 && c.green() < 100 && c.blue() < 100;
    };
    auto blue = [](const QColor& c) { return c == QColor(0, 0, 255); };
    EXPECT_GT(count(first, reddish), 0);   // unselected: resolution line in the shadow colour
    EXPECT_EQ(count(second, reddish), 0);  // selected: written in the inverse text colour
    EXPECT_GT(count(second, blue), second.width() * second.height() / 2);
}

}  // namespace
}  // namespace lumivex
