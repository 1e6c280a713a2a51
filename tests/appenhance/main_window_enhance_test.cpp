// The Enhance command in the main window on the offscreen platform: the whole road from the
// profile dialog to the result page and the saved file, Cancel during a long run, and the
// refusals that must leave the window usable.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/core/command_ids.h"
#include "app/core/settings_store.h"
#include "app/ui/enhance_runner.h"
#include "app/ui/main_window.h"
#include "app/ui/profile_dialog.h"
#include "app/ui/progress_window.h"
#include "app/ui/result_page.h"
#include "enhance_test_support.h"
#include "image/message_sink.h"
#include "image/save_image.h"

namespace lumivex {
namespace {

using testing_support::FillJob;
using testing_support::TempFolder;

class MainWindowEnhanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.Profiles().Add(folder_.WriteProfile("Same size", "[resolution]\nscale = 1\n"));
        window_.Profiles().Add(
            folder_.WriteProfile("UHD", "[resolution]\nmaxwidth = 3840\nmaxheight = 2160\n"));
        window_.show();
    }

    // Pictures of width x height written as BMP files and opened as a set.
    void OpenPictures(int32_t width, int32_t height, int count) {
        EnhanceJob frames;
        FillJob(frames, width, height, count);
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(folder_.File("picture" + std::to_string(i) + ".bmp"));
            ASSERT_TRUE(SaveImageToPath(*frames.frames[i], paths.back(), nullptr));
        }
        window_.OpenMediaPaths(paths);
        ASSERT_EQ(window_.CurrentStep(), "Selection");
    }

    // Answers the next save question (whose text must be question): No, or Yes and then the
    // save dialog, saving as saveAs or, when it is empty, cancelled.
    static void AnswerSaveQuestion(const QString& question, bool yes, const std::string& saveAs) {
        QTimer::singleShot(0, [question, yes, saveAs] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), question);
            QTimer::singleShot(0, [saveAs] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) {
                    return;
                }
                if (saveAs.empty()) {
                    dialog->reject();
                    return;
                }
                dialog->selectFile(QString::fromStdString(saveAs));
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
            });
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
    }

    // Answers the next profile dialog: picks the row showing name and presses OK or Cancel.
    void AnswerProfileDialog(const QString& name, bool ok) {
        QTimer::singleShot(0, [name, ok] {
            auto* dialog = qobject_cast<CProfileDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            for (int row = 0; row < dialog->List()->count(); ++row) {
                if (dialog->List()->item(row)->text().startsWith(name + "\n")) {
                    dialog->List()->setCurrentRow(row);
                }
            }
            ok ? dialog->accept() : dialog->reject();
        });
    }

    EnhanceRunner* Runner() { return window_.findChild<EnhanceRunner*>(); }

    bool WaitForRunEnd(int milliseconds) {
        return QTest::qWaitFor([this] { return Runner() == nullptr || !Runner()->Running(); },
                               milliseconds);
    }

    TempFolder folder_;
    MemorySettingsStore settings_;
    CollectingMessageSink messages_;
    MainWindow window_{settings_, &messages_};
};

TEST_F(MainWindowEnhanceTest, RunShowsTheResultAndSaveClearsTheCloseQuestion) {
    OpenPictures(96, 64, 2);
    AnswerProfileDialog("Same size", true);
    window_.RunCommand(command::kEnhance);
    ASSERT_NE(Runner(), nullptr);
    EXPECT_TRUE(Runner()->PollTimer()->isActive());
    EXPECT_EQ(Runner()->PollTimer()->interval(), 300);
    ASSERT_TRUE(WaitForRunEnd(60000));

    EXPECT_EQ(window_.CurrentStep(), "Enhance");
    EXPECT_EQ(window_.findChild<ProgressWindow*>(), nullptr);
    EXPECT_TRUE(window_.isEnabled());
    EXPECT_EQ(window_.Job().result.Width(), 96);
    EXPECT_TRUE(window_.Job().resultReady);
    EXPECT_TRUE(messages_.messages.empty());

    const std::string path = folder_.File("enhanced.jpg");
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->defaultSuffix(), "bmp");
        EXPECT_EQ(dialog->nameFilters().front(), "Image files (*.bmp *.jpg *.jpeg)");
        emit dialog->filterSelected("PNG files (*.png)");  // as picking it in the list does
        EXPECT_EQ(dialog->defaultSuffix(), "png");
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    window_.RunCommand(command::kSaveEnhancedImage);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(window_.Job().resultReady);  // closing asks nothing now
}

// The worker is held inside its first registered picture until the press has reached it, so the
// run is long however fast the engine is; the next check stops it (the press may also arrive
// before that picture is reported).
TEST_F(MainWindowEnhanceTest, CancelDuringALongRunChangesNothing) {
    OpenPictures(640, 480, 3);
    std::atomic<int> held{0};
    EnhanceProgress& run = window_.Job().progress;
    window_.Job().observer = [&held, &run](const RegistrationReport&) {
        ++held;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!run.cancel.load() && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    AnswerProfileDialog("UHD", true);
    window_.RunCommand(command::kEnhance);
    ASSERT_TRUE(QTest::qWaitFor([this] { return window_.findChild<ProgressWindow*>(); }, 5000));
    ProgressWindow* progress = window_.findChild<ProgressWindow*>();
    EXPECT_FALSE(window_.isEnabled());
    EXPECT_EQ(progress->MessageLabel()->text(),
              "Lumivex is enhancing the image. \n\nPlease be patient ...");
    QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);

    ASSERT_TRUE(WaitForRunEnd(60000));
    EXPECT_LE(held, 1);
    EXPECT_EQ(window_.Job().progress.status, -1);
    EXPECT_EQ(window_.CurrentStep(), "Selection");
    EXPECT_TRUE(window_.Job().result.IsEmpty());
    EXPECT_FALSE(window_.Job().resultReady);
    EXPECT_EQ(window_.findChild<ProgressWindow*>(), nullptr);
    EXPECT_TRUE(window_.isEnabled());
}

TEST_F(MainWindowEnhanceTest, CancelledDialogAndRefusalsLeaveTheWindowAsItWas) {
    OpenPictures(96, 64, 1);
    AnswerProfileDialog("Same size", false);
    window_.RunCommand(command::kEnhance);
    EXPECT_EQ(window_.CurrentStep(), "Selection");
    EXPECT_TRUE(messages_.messages.empty());

    window_.Profiles().Add(folder_.WriteProfile("Huge", "[resolution]\nscale = 200\n"));
    AnswerProfileDialog("Huge", true);
    window_.RunCommand(command::kEnhance);
    ASSERT_EQ(messages_.messages.size(), 1u);
    EXPECT_NE(messages_.messages[0].find("is too large"), std::string::npos);
    EXPECT_EQ(window_.findChild<ProgressWindow*>(), nullptr);
    EXPECT_TRUE(window_.isEnabled());
    EXPECT_FALSE(Runner()->Running());
}

// Yes to the close question, then a save dialog that is cancelled, or a name whose folder does
// not exist (the user is told): the window stays open with its unsaved result instead of
// closing over it.
TEST_F(MainWindowEnhanceTest, CloseStopsWhenTheAskedForSaveIsNotWritten) {
    OpenPictures(96, 64, 1);
    window_.Job().result.CopyFrom(*window_.Job().frames[0]);
    window_.Job().resultReady = true;
    const std::string missing = folder_.File("missing/enhanced.jpg");
    for (const std::string& path : {std::string(), missing}) {
        SCOPED_TRACE(path.empty() ? "cancelled" : "cannot be written");
        messages_.messages.clear();
        AnswerSaveQuestion(
            "You have enhanced an image. Do you want to save it before closing Lumivex?", true,
            path);
        EXPECT_FALSE(window_.close());
        EXPECT_TRUE(window_.isVisible());
        EXPECT_TRUE(window_.Job().resultReady);
        ASSERT_EQ(messages_.messages.size(), path.empty() ? 0u : 1u);
        if (!path.empty()) {
            EXPECT_EQ(messages_.messages[0].rfind("The enhanced image was not saved.", 0), 0u);
        }
    }
}

// The close question has Yes and No only: Escape and a close from the window manager leave it
// open, its title bar has no close button, and only No closes without saving.
TEST_F(MainWindowEnhanceTest, OnlyNoDiscardsAtTheCloseQuestion) {
    OpenPictures(96, 64, 1);
    window_.Job().result.CopyFrom(*window_.Job().frames[0]);
    window_.Job().resultReady = true;
    bool stayedOpen = false;
    QTimer::singleShot(0, [&stayedOpen] {
        auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(question, nullptr);
        EXPECT_FALSE(question->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        EXPECT_EQ(question->icon(), QMessageBox::Question);
        QTest::keyClick(question, Qt::Key_Escape);
        question->close();
        stayedOpen = question->isVisible();
        question->button(QMessageBox::No)->click();
    });
    EXPECT_TRUE(window_.close());
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(messages_.messages.empty());
}

// Close media, and opening other media, ask first while a result is unsaved: No goes on, Yes
// with a cancelled save dialog keeps the media and its result.
TEST_F(MainWindowEnhanceTest, ClosingOrReplacingTheMediaAsksWhileAResultIsUnsaved) {
    const std::string other = folder_.File("other.bmp");
    ASSERT_TRUE(SaveImageToPath(RgbImage(64, 48, 24), other, nullptr));
    for (const bool opening : {false, true}) {
        for (const bool discard : {true, false}) {
            SCOPED_TRACE(std::string(opening ? "opening" : "closing") +
                         (discard ? ", No" : ", Yes, then Cancel"));
            OpenPictures(96, 64, 2);
            window_.Job().result.CopyFrom(*window_.Job().frames[0]);
            window_.Job().resultReady = true;
            AnswerSaveQuestion(
                "You have enhanced an image. Do you want to save it before "
                "closing the media?",
                !discard, {});
            if (opening) {
                window_.OpenMediaPaths({other});
            } else {
                window_.RunCommand(command::kCloseMedia);
            }
            EXPECT_EQ(window_.Job().resultReady, !discard);
            EXPECT_EQ(window_.Job().FrameCount(), discard ? (opening ? 1 : 0) : 2);
            window_.Job().resultReady = false;
        }
    }
}

// Before and after: the enlarged reference replaces the result at the same zoom and centre, and
// the status bar says which one is shown. The idle window runs no timer of its own.
TEST_F(MainWindowEnhanceTest, BeforeShowsTheEnlargedReferenceAtTheSameZoomAndCentre) {
    window_.Profiles().Add(folder_.WriteProfile("Double", "[resolution]\nscale = 2\n"));
    OpenPictures(96, 64, 2);
    AnswerProfileDialog("Double", true);
    window_.RunCommand(command::kEnhance);
    ASSERT_TRUE(WaitForRunEnd(60000));
    ASSERT_EQ(window_.CurrentStep(), "Enhance");
    for (QTimer* timer : window_.findChildren<QTimer*>()) {
        EXPECT_FALSE(timer->isActive() && !timer->isSingleShot()) << timer->interval();
    }
    EXPECT_TRUE(window_.Action(command::kSaveEnhancedImage)->isEnabled());
    EXPECT_TRUE(window_.ResultInfoText().startsWith("After: 192 \u00d7 128, "));
    EXPECT_TRUE(window_.ResultInfoText().endsWith(" of 2 fused"));

    ImageView& view = static_cast<ResultPage*>(window_.FindPage("Enhance"))->View();
    view.SetZoom(4.0);
    view.SetCentre(100, 60);
    const ViewPoint centre = view.Geometry().Centre();
    ASSERT_TRUE(window_.Action(command::kShowBefore)->isEnabled());
    window_.RunCommand(command::kShowBefore);
    EXPECT_EQ(view.Picture(), &window_.Results()->Before());
    EXPECT_EQ(view.Zoom(), 4.0);
    EXPECT_EQ(view.Geometry().Centre(), centre);
    EXPECT_TRUE(window_.Action(command::kShowBefore)->isChecked());
    EXPECT_TRUE(window_.ResultInfoText().startsWith("Before: the reference enlarged, 192"));
    window_.RunCommand(command::kShowBefore);
    EXPECT_EQ(view.Picture(), &window_.Job().result);
}

}  // namespace
}  // namespace lumivex
