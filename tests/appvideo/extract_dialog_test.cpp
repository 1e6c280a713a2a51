#include "app/ui/extract_dialog.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "app/core/settings_store.h"
#include "image/message_sink.h"
#include "tests/appvideo/fake_host.h"

namespace lumivex {
namespace {

struct Dialog {
    Dialog() { testing::EnsureQtApplication(); }
    MemorySettingsStore settings;
    CollectingMessageSink messages;
};

std::string StoredFolder(const MemorySettingsStore& settings) {
    return settings.ReadString(kExtractionDirSection, kExtractionDirValue, "<none>");
}

TEST(ExtractDialog, StartsWithFiveFramesAsFieldsInTheRememberedFolder) {
    Dialog d;
    {
        CVideoExtractDlg dialog(&d.settings, d.messages);
        EXPECT_EQ(dialog.windowTitle(), "Extract video frames");
        // A fixed size: no window manager offers to maximise it.
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        EXPECT_GE(dialog.minimumWidth(), 300);
        EXPECT_GE(dialog.minimumHeight(), 230);
        EXPECT_EQ(dialog.CountEdit()->text(), "5");
        EXPECT_TRUE(dialog.FieldsCheck()->isChecked());
        EXPECT_EQ(dialog.FieldsCheck()->text(), "Separate the even/odd scan lines");
        EXPECT_TRUE(dialog.DirectoryEdit()->isReadOnly());
        EXPECT_EQ(dialog.DirectoryEdit()->text().toStdString(),
                  CVideoExtractDlg::DefaultDirectory());
        EXPECT_EQ(CVideoExtractDlg::DefaultDirectory().back(), '/');
    }
    d.settings.WriteString("Settings", "LastVideoExtractionDir", "/tmp/frames");
    CVideoExtractDlg dialog(&d.settings, d.messages);
    EXPECT_EQ(dialog.DirectoryEdit()->text(), "/tmp/frames");
}

TEST(ExtractDialog, TheSpinnerWrapsAround) {
    Dialog d;
    CVideoExtractDlg dialog(&d.settings, d.messages);
    dialog.CountEdit()->setText("30");
    dialog.StepCount(+1);
    EXPECT_EQ(dialog.CountEdit()->text(), "1");
    dialog.StepCount(-1);
    EXPECT_EQ(dialog.CountEdit()->text(), "30");
    QTest::keyClick(dialog.CountEdit(), Qt::Key_Down);
    EXPECT_EQ(dialog.CountEdit()->text(), "29");
    dialog.CountEdit()->setText("");  // no number: the spinner starts from the last valid count
    dialog.StepCount(+1);
    EXPECT_EQ(dialog.CountEdit()->text(), "6");
}

TEST(ExtractDialog, AnInvalidCountKeepsTheDialogOpenButTheFolderIsStored) {
    for (const char* count : {"0", "31", ""}) {
        Dialog d;
        CVideoExtractDlg dialog(&d.settings, d.messages);
        dialog.show();
        dialog.SetOutputDirectory("/tmp/chosen");
        dialog.CountEdit()->setText(count);
        dialog.FieldsCheck()->setChecked(false);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << count;
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        ASSERT_EQ(d.messages.messages.size(), 1u) << count;
        EXPECT_EQ(d.messages.messages[0], "Please enter an integer between 1 and 30.");
        EXPECT_EQ(StoredFolder(d.settings), "/tmp/chosen");
        EXPECT_EQ(dialog.FrameCount(), 5);  // the fields keep their values
        EXPECT_TRUE(dialog.SeparateFields());
    }
}

TEST(ExtractDialog, OkTakesTheValues) {
    Dialog d;
    CVideoExtractDlg dialog(&d.settings, d.messages);
    dialog.show();
    dialog.SetOutputDirectory("/tmp/out/");
    dialog.CountEdit()->setText("30");
    dialog.FieldsCheck()->setChecked(false);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(d.messages.messages.empty());
    const video::ExtractionSettings extraction = dialog.Extraction();
    EXPECT_EQ(extraction.directory, "/tmp/out/");
    EXPECT_EQ(extraction.frameCount, 30);
    EXPECT_FALSE(extraction.separateFields);
    EXPECT_EQ(StoredFolder(d.settings), "/tmp/out/");
}

TEST(ExtractDialog, CancelStoresNothing) {
    Dialog d;
    CVideoExtractDlg dialog(&d.settings, d.messages);
    dialog.show();
    dialog.SetOutputDirectory("/tmp/elsewhere");
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(StoredFolder(d.settings), "<none>");
}

}  // namespace
}  // namespace lumivex
