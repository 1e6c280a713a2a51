// Open media and Close media through the main window, with generated pictures.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/command_ids.h"
#include "app/ui/main_window.h"
#include "image/rgb_image.h"
#include "image/save_image.h"
#include "qt_test_application.h"

namespace lumivex {
namespace {

using namespace command;
namespace fs = std::filesystem;

class OpenMediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::TestApplication();
        folder_ = fs::temp_directory_path() /
                  ("lumivex-open-media-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A 24-bit picture of the given size written under name.
    std::string Picture(const std::string& name, int32_t width, int32_t height) {
        RgbImage image(width, height, 24);
        EXPECT_FALSE(image.IsEmpty());
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                image.WritePixelColour(x, y, MakeColour(uint8_t(x * 7), uint8_t(y * 5), 90));
            }
        }
        const std::string path = (folder_ / name).string();
        std::string error;
        EXPECT_TRUE(SaveImageToPath(image, path, &error)) << error;
        return path;
    }

    bool Enabled(MainWindow& window, int id) {
        window.RefreshCommands();
        return window.Action(id)->isEnabled();
    }

    fs::path folder_;
    MemorySettingsStore settings_;
    CollectingMessageSink messages_;
};

TEST_F(OpenMediaTest, PicturesGoToTheSelectionStep) {
    MainWindow window(settings_, &messages_);
    window.show();
    window.OpenMediaPaths({Picture("a.bmp", 64, 48), Picture("b.BMP", 64, 48)});
    EXPECT_EQ(window.CurrentStep(), "Selection");
    EXPECT_EQ(window.Job().FrameCount(), 2);
    EXPECT_TRUE(messages_.messages.empty());
    EXPECT_TRUE(Enabled(window, kEnhance));
    EXPECT_TRUE(Enabled(window, kCloseMedia));
    EXPECT_FALSE(Enabled(window, kViewEnhancedImage));  // no result yet
}

TEST_F(OpenMediaTest, PictureFollowedByAVideoKeepsImageMode) {
    MainWindow window(settings_, &messages_);
    window.show();
    const std::string video = (folder_ / "clip.avi").string();
    std::ofstream(video) << "not a picture";
    window.OpenMediaPaths({Picture("IMG_1.bmp", 64, 48), video, Picture("IMG_2.bmp", 32, 48)});
    EXPECT_EQ(window.CurrentStep(), "Selection");
    EXPECT_EQ(window.Job().FrameCount(), 1);
    EXPECT_TRUE(window.Job().videoPath.empty());
    // Both refusals are error boxes.
    EXPECT_EQ(messages_.messages,
              (std::vector<std::string>{"Unknown file format",
                                        "Sorry, the input images should have same dimension."}));
    EXPECT_EQ(messages_.icons,
              (std::vector<MessageIcon>{MessageIcon::kError, MessageIcon::kError}));
}

TEST_F(OpenMediaTest, VideoThatCannotBeShownReturnsToStart) {
    MainWindow window(settings_, &messages_);
    window.show();
    const std::string video = (folder_ / "clip.avi").string();
    window.OpenMediaPaths({video, Picture("a.bmp", 64, 48)});
    // Video mode with the .avi only; the page has no loaded video, so back to "Start".
    EXPECT_EQ(window.Job().videoPath, video);
    EXPECT_EQ(window.Job().FrameCount(), 0);
    EXPECT_EQ(window.CurrentStep(), "Start");
}

TEST_F(OpenMediaTest, OpeningNewMediaResetsTheOldOnes) {
    MainWindow window(settings_, &messages_);
    window.show();
    window.OpenMediaPaths({Picture("a.bmp", 64, 48), Picture("b.bmp", 64, 48)});
    ASSERT_EQ(window.Job().FrameCount(), 2);
    window.OpenMediaPaths({Picture("c.bmp", 32, 32)});
    EXPECT_EQ(window.Job().FrameCount(), 1);
    EXPECT_EQ(window.Job().width, 32);
}

// Pictures that cannot be read are named in one message after the set is open; a size unlike
// the set's keeps its own message and is not named again.
TEST_F(OpenMediaTest, PicturesLeftOutOfASetAreNamed) {
    MainWindow window(settings_, &messages_);
    window.show();
    std::ofstream(folder_ / "broken.jpg") << "not a JPEG";
    fs::create_directory(folder_ / "folder.bmp");
    window.OpenMediaPaths({Picture("a.bmp", 64, 48), (folder_ / "broken.jpg").string(),
                           Picture("small.bmp", 32, 32), (folder_ / "folder.bmp").string(),
                           Picture("b.bmp", 64, 48)});
    EXPECT_EQ(window.Job().FrameCount(), 2);
    ASSERT_EQ(messages_.messages.size(), 2u);
    EXPECT_EQ(messages_.messages[0], "Sorry, the input images should have same dimension.");
    EXPECT_EQ(messages_.messages[1],
              "These pictures could not be read and were left out:\nbroken.jpg\nfolder.bmp");
    messages_.messages.clear();
    window.OpenMediaPaths({Picture("c.bmp", 64, 48)});
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(OpenMediaTest, CloseMediaEmptiesTheJobAndShowsStart) {
    MainWindow window(settings_, &messages_);
    window.show();
    window.OpenMediaPaths({Picture("a.bmp", 64, 48)});
    ASSERT_TRUE(Enabled(window, kCloseMedia));
    window.RunCommand(kCloseMedia);
    EXPECT_EQ(window.CurrentStep(), "Start");
    EXPECT_EQ(window.Job().FrameCount(), 0);
    EXPECT_EQ(window.Job().inputKind, 0);
    EXPECT_FALSE(Enabled(window, kCloseMedia));
    EXPECT_FALSE(Enabled(window, kEnhance));
}

TEST_F(OpenMediaTest, ViewEnhancedImageTogglesBetweenResultAndSelection) {
    MainWindow window(settings_, &messages_);
    window.show();
    window.OpenMediaPaths({Picture("a.bmp", 64, 48)});
    window.Job().result.Allocate(128, 96, 24);  // as a finished run leaves it
    ASSERT_TRUE(Enabled(window, kViewEnhancedImage));
    window.RunCommand(kViewEnhancedImage);
    EXPECT_EQ(window.CurrentStep(), "Enhance");
    EXPECT_TRUE(window.Action(kViewEnhancedImage)->isChecked());
    EXPECT_TRUE(Enabled(window, kSaveEnhancedImage));
    EXPECT_FALSE(Enabled(window, kEnhance));
    window.RunCommand(kViewEnhancedImage);
    EXPECT_EQ(window.CurrentStep(), "Selection");
    EXPECT_FALSE(window.Action(kViewEnhancedImage)->isChecked());
}

// Files dropped onto the window open as Open media opens them; a video among other files is
// refused before anything is closed.
TEST_F(OpenMediaTest, DroppedPicturesOpenAsASet) {
    MainWindow window(settings_, &messages_);
    window.show();
    const auto drop = [&window](const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data.setUrls(urls);
        // Through the window, as the platform delivers a drag: it finds the widget under the
        // pointer that takes drops, enters it, then drops on it.
        QWindow* handle = window.windowHandle();
        const QPoint point(window.width() / 2, window.height() / 2);
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &drop);
        QCoreApplication::processEvents();
        return drop.isAccepted();
    };
    const std::string video = (folder_ / "clip.avi").string();
    std::ofstream(video) << "not a video";  // a file by that name; refused for the mix
    EXPECT_FALSE(drop({video, Picture("a.bmp", 64, 48)}));
    EXPECT_EQ(window.CurrentStep(), "Start");
    EXPECT_TRUE(drop({Picture("a.bmp", 64, 48), Picture("b.jpg", 64, 48)}));
    EXPECT_EQ(window.CurrentStep(), "Selection");
    EXPECT_EQ(window.Job().FrameCount(), 2);
}

}  // namespace
}  // namespace lumivex
