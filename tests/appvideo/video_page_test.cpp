#include "app/ui/video_page.h"

#include <gtest/gtest.h>
#include <QEvent>
#include <QImage>

#include <filesystem>
#include <ostream>

#include "app/core/command_ids.h"
#include "app/ui/video_view.h"
#include "tests/appvideo/fake_host.h"
#include "tests/video/video_fixtures.h"
#include "video/debug_message.h"
#include "video/test_video_writer.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace lumivex {
namespace {

using testing::FakeHost;
using testing::ProcessEventsUntil;
using video::TestVideoKind;
using video::testing::MakeVideo;

std::string CountingVideo(int frames) {
    return MakeVideo("counting" + std::to_string(frames) + ".avi",
                     {TestVideoKind::kMjpegAvi, 160, 120, 25, video::CountingPictures(frames)});
}

// 160 x 120 stored, wide pixels (4:3) shown as a 16:9 picture: 160 x 90 on screen.
std::string WidePixelVideo() {
    return MakeVideo("wide.avi",
                     {TestVideoKind::kMjpegAvi, 160, 120, 25, video::CountingPictures(20), 4, 3});
}

// A page shown on the fake host with a chosen video, as Open media leaves it.
struct ShownPage {
    explicit ShownPage(const std::string& path) {
        page.resize(400, 300);
        page.show();
        host.ChooseVideo(path);
        page.PageShown();
    }
    FakeHost host;
    VideoPage page{host};
};

TEST(VideoPageWidget, LoadsOnShowingAndWaitsAtTheMiddle) {
    ShownPage shown(CountingVideo(250));
    FakeHost& host = shown.host;
    ASSERT_TRUE(shown.page.VideoLoaded());
    EXPECT_TRUE(host.messages.messages.empty());
    EXPECT_EQ(host.job.inputKind, kInputVideoOpen);
    EXPECT_EQ(host.paneText, "Frame 125 of 250");
    EXPECT_TRUE(shown.page.PositionTimerActive());
    EXPECT_TRUE(shown.page.LayoutTimerActive());
    EXPECT_EQ(shown.page.Model().Player().State(), video::kPlayerPaused);
    // Range 250 and page size 13 on every slider: values 0 ... 250.
    for (QSlider* slider : {host.videoSlider.get(), host.secondVideoSlider.get()}) {
        EXPECT_EQ(slider->minimum(), 0);
        EXPECT_EQ(slider->maximum(), 250);
        EXPECT_EQ(slider->pageStep(), 13);
    }
    shown.page.PositionTick();
    EXPECT_EQ(host.videoSlider->value(), 124);
    EXPECT_EQ(host.secondVideoSlider->value(), 124);
}

TEST(VideoPageWidget, TheSlidersSeekAndMoveTogether) {
    ShownPage shown(CountingVideo(250));
    FakeHost& host = shown.host;
    ASSERT_TRUE(shown.page.VideoLoaded());
    shown.page.HandleCommand(command::kPlay);
    EXPECT_EQ(shown.page.Model().Player().State(), video::kPlayerRunning);
    host.secondVideoSlider->setValue(99);  // the user moved the second toolbar's slider
    EXPECT_EQ(host.videoSlider->value(), 99);
    EXPECT_EQ(shown.page.Model().Player().State(), video::kPlayerPaused);
    shown.page.PositionTick();
    EXPECT_EQ(host.paneText, "Frame 100 of 250");
    EXPECT_EQ(host.videoSlider->value(), 99);

    // The top of the slider is the last position, where the last frame is the reference.
    host.videoSlider->setValue(host.videoSlider->maximum());
    shown.page.PositionTick();
    EXPECT_EQ(host.paneText, "Frame 250 of 250");
    ASSERT_TRUE(shown.page.GatherFramesForEnhance());
    EXPECT_EQ(host.job.FrameCount(), 2);
    EXPECT_EQ(host.job.referenceIndex, 1);
}

TEST(VideoPageWidget, TicksFollowThePositionButNotADraggedSlider) {
    ShownPage shown(CountingVideo(250));
    FakeHost& host = shown.host;
    ASSERT_TRUE(shown.page.VideoLoaded());
    shown.page.PositionTick();
    host.job.inputKind = kInputVideoGathered;
    shown.page.PositionTick();
    EXPECT_EQ(host.job.inputKind, kInputVideoGathered);  // no move: the gathering still applies

    host.videoSlider->setSliderDown(true);  // the user holds the first slider
    shown.page.HandleCommand(command::kStepForward);
    shown.page.PositionTick();
    EXPECT_EQ(host.job.inputKind, kInputVideoOpen);
    EXPECT_EQ(host.paneText, "Frame 126 of 250");
    EXPECT_EQ(host.videoSlider->value(), 124);  // left alone while dragged
    EXPECT_EQ(host.secondVideoSlider->value(), 250 * 125 / 250);
    host.videoSlider->setSliderDown(false);
    shown.page.HandleCommand(command::kStepBackward);
    shown.page.HandleCommand(command::kStepBackward);
    shown.page.PositionTick();
    EXPECT_EQ(host.paneText, "Frame 124 of 250");
    EXPECT_EQ(host.videoSlider->value(), 123);
}

TEST(VideoPageWidget, DrawsTheVideoAtItsCorrectedHeightCentredOnBlack) {
    ShownPage shown(WidePixelVideo());
    ASSERT_TRUE(shown.page.VideoLoaded());
    VideoView& view = shown.page.View();
    EXPECT_EQ(view.size(), QSize(400, 300));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !view.Picture().isNull(); }));
    const video::VideoRect place = view.PictureRect();
    EXPECT_EQ(place.left, 120);
    EXPECT_EQ(place.top, 105);
    EXPECT_EQ(place.width, 160);
    EXPECT_EQ(place.height, 90);

    const QImage drawn = view.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(10, 10), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(119, 150), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(200, 104), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(200, 195), QColor(Qt::black));
    // The picture itself: some of its rows are not black.
    int pictureRows = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 120; x < 280; x += 4) {
            if (drawn.pixelColor(x, y).lightness() > 40) {
                ++pictureRows;
                break;
            }
        }
    }
    EXPECT_GT(pictureRows, 45);
    EXPECT_LE(pictureRows, 90);

    // A window smaller than the picture cuts it off; it is never scaled down.
    shown.page.resize(100, 60);
    EXPECT_EQ(view.PictureRect().left, -30);
    EXPECT_EQ(view.PictureRect().width, 160);
    EXPECT_EQ(view.PictureRect().height, 90);
}

TEST(VideoPageWidget, PlayingToTheEndStopsAtPositionOne) {
    ShownPage shown(CountingVideo(10));
    ASSERT_TRUE(shown.page.VideoLoaded());
    shown.page.HandleCommand(command::kPlay);
    ASSERT_TRUE(ProcessEventsUntil([&] {
        shown.page.PositionTick();
        return shown.host.paneText == "Frame 1 of 10";
    }));
    EXPECT_EQ(shown.page.Model().Player().State(), video::kPlayerRunning);
}

TEST(VideoPageWidget, AVideoOfOneFrame) {
    ShownPage shown(CountingVideo(1));
    ASSERT_TRUE(shown.page.VideoLoaded());
    EXPECT_EQ(shown.host.paneText, "Frame 0 of 1");  // the only time position 0 is sought
    EXPECT_EQ(shown.host.videoSlider->maximum(), 1);
    EXPECT_EQ(shown.host.videoSlider->pageStep(), 2);
    shown.page.HandleCommand(command::kStepForward);
    shown.page.PositionTick();
    EXPECT_EQ(shown.host.paneText, "Frame 1 of 1");
    shown.page.HandleCommand(command::kStepBackward);
    shown.page.PositionTick();
    EXPECT_EQ(shown.host.paneText, "Frame 1 of 1");
}

TEST(VideoPageWidget, WithoutAVideoTheCommandsDoNothing) {
    FakeHost host;
    VideoPage page(host);
    page.PageShown();  // nothing chosen: nothing loaded, no message
    EXPECT_FALSE(page.VideoLoaded());
    EXPECT_FALSE(page.PositionTimerActive());
    EXPECT_TRUE(page.LayoutTimerActive());
    for (int id :
         {command::kStepForward, command::kStepBackward, command::kPlay, command::kPause}) {
        EXPECT_TRUE(page.HandleCommand(id));
        CommandState state;
        ASSERT_TRUE(page.UpdateCommand(id, state));
        EXPECT_TRUE(state.enabled);
    }
    page.PositionTick();
    EXPECT_EQ(host.paneText, "untouched");
    CommandState extract;
    ASSERT_TRUE(page.UpdateCommand(command::kExtractVideoFrames, extract));
    EXPECT_FALSE(extract.enabled);
    EXPECT_FALSE(page.GatherFramesForEnhance());
    EXPECT_EQ(page.ExtractFrames({video::testing::ScratchFolder(), 5, true}).gathered, 0);
    EXPECT_EQ(host.progressOpened, 0);
    EXPECT_TRUE(host.messages.messages.empty());
}

TEST(VideoPageWidget, SizeChecksOnLoading) {
    ShownPage smallest(MakeVideo(
        "100x100.avi", {TestVideoKind::kMjpegAvi, 100, 100, 25, video::CountingPictures(4)}));
    EXPECT_TRUE(smallest.page.VideoLoaded());

    ShownPage narrow(MakeVideo(
        "99x576.avi", {TestVideoKind::kMpeg4Avi, 99, 576, 25, video::CountingPictures(4)}));
    EXPECT_FALSE(narrow.page.VideoLoaded());
    ASSERT_EQ(narrow.host.messages.messages.size(), 1u);
    EXPECT_EQ(narrow.host.messages.messages[0], video::kResolutionTooLowText);
    EXPECT_EQ(narrow.host.messages.captions[0], video::kErrorCaption);
    EXPECT_EQ(narrow.host.job.inputKind, kInputNone);
    EXPECT_FALSE(narrow.page.PositionTimerActive());
    EXPECT_FALSE(narrow.page.LayoutTimerActive());
    EXPECT_EQ(narrow.host.paneText, "untouched");
}

TEST(VideoPageWidget, HidingStopsTheTicksAndClearsThePane) {
    ShownPage shown(CountingVideo(250));
    shown.page.PageHidden();
    EXPECT_FALSE(shown.page.PositionTimerActive());
    EXPECT_FALSE(shown.page.LayoutTimerActive());
    EXPECT_EQ(shown.host.paneText, "");
    shown.page.PageShown();  // input kind 4: shown again without loading again
    EXPECT_TRUE(shown.page.PositionTimerActive());
    EXPECT_EQ(shown.host.paneText, "Frame 125 of 250");
    shown.page.CloseVideo();
    EXPECT_FALSE(shown.page.VideoLoaded());
    EXPECT_TRUE(shown.page.View().Picture().isNull());
}

// Counts how often the player's window was hidden and shown again over some layout ticks.
class ReshowCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        hides += event->type() == QEvent::Hide;
        shows += event->type() == QEvent::Show;
        return false;
    }
    int hides = 0;
    int shows = 0;
};

TEST(VideoPageWidget, MovingTheWindowReshowsTheVideo) {
    ShownPage shown(CountingVideo(250));
    shown.page.move(50, 50);
    ReshowCounter counter;
    shown.page.View().installEventFilter(&counter);
    shown.page.LayoutTick();
    EXPECT_EQ(counter.hides, 1);
    EXPECT_EQ(counter.shows, 1);
    shown.page.LayoutTick();  // nothing moved
    EXPECT_EQ(counter.hides, 1);
    shown.page.move(80, 60);
    shown.page.LayoutTick();
    EXPECT_EQ(counter.hides, 2);
    EXPECT_EQ(counter.shows, 2);
}

TEST(VideoPageWidget, ExtractsFramesBehindTheProgressWindow) {
    ShownPage shown(CountingVideo(250));
    FakeHost& host = shown.host;
    const std::string folder = video::testing::ScratchFolder() + "/extracted";
    std::filesystem::create_directories(folder);
    CommandState state;
    ASSERT_TRUE(shown.page.UpdateCommand(command::kExtractVideoFrames, state));
    EXPECT_TRUE(state.enabled);

    const video::ExtractionReport report = shown.page.ExtractFrames({folder, 5, true});
    EXPECT_EQ(report.gathered, 5);
    EXPECT_EQ(report.writtenFiles.size(), 10u);
    EXPECT_TRUE(std::filesystem::exists(folder + "/LMVX 002refa.bmp"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/LMVX 004b.bmp"));
    ASSERT_EQ(host.messages.messages.size(), 1u);
    EXPECT_EQ(host.messages.messages[0], "5 video frames have been extracted to " + folder + ".");
    EXPECT_EQ(host.messages.captions[0], "");
    const testing::ProgressSnapshot& during = host.progressAtMessage[0];
    EXPECT_EQ(during.caption, kWorkInProgressCaption);
    EXPECT_EQ(during.text, kExtractingText);
    EXPECT_FALSE(during.barVisible);
    EXPECT_FALSE(during.cancelVisible);
    EXPECT_FALSE(during.windowVisible);            // hidden before the message
    EXPECT_EQ(host.progress, nullptr);             // closed afterwards
    EXPECT_EQ(host.paneText, "Frame 125 of 250");  // the play position did not move

    // A folder that does not exist: the files are named in the message.
    const video::ExtractionReport failed =
        shown.page.ExtractFrames({folder + "/missing", 2, false});
    EXPECT_TRUE(failed.writtenFiles.empty());
    ASSERT_EQ(host.messages.messages.size(), 2u);
    EXPECT_EQ(host.messages.messages[1].rfind("2 video frames have been extracted to", 0), 0u);
    EXPECT_NE(host.messages.messages[1].find("2 files could not be written"), std::string::npos);
    EXPECT_NE(host.messages.messages[1].find("LMVX 000ref.bmp"), std::string::npos);
}

TEST(VideoPageWidget, GathersTheFramesOfAnEnhancementOnce) {
    ShownPage shown(CountingVideo(250));
    FakeHost& host = shown.host;
    ASSERT_TRUE(shown.page.VideoLoaded());
    shown.page.HandleCommand(command::kPlay);
    ASSERT_TRUE(shown.page.GatherFramesForEnhance());
    EXPECT_EQ(shown.page.Model().Player().State(), video::kPlayerPaused);
    EXPECT_EQ(host.job.inputKind, kInputVideoGathered);
    EXPECT_EQ(host.job.FrameCount(), 5);
    EXPECT_EQ(host.job.referenceIndex, 2);
    EXPECT_TRUE(host.job.interlaced);
    EXPECT_EQ(host.progressOpened, 1);
    EXPECT_EQ(host.lastProgress.text, kExtractingText);
    EXPECT_FALSE(host.lastProgress.barVisible);
    EXPECT_EQ(host.progress, nullptr);
    EXPECT_TRUE(host.messages.messages.empty());
}

TEST(VideoPageWidget, ANewVideoReplacesTheOldOne) {
    ShownPage shown(CountingVideo(250));
    shown.page.PageHidden();
    shown.page.CloseVideo();
    shown.host.ChooseVideo(CountingVideo(10));
    shown.page.PageShown();
    ASSERT_TRUE(shown.page.VideoLoaded());
    EXPECT_EQ(shown.host.paneText, "Frame 5 of 10");
    EXPECT_EQ(shown.host.videoSlider->maximum(), 10);
    EXPECT_EQ(shown.host.videoSlider->pageStep(), 1);  // 10 / 20 rounds to 1
}

}  // namespace
}  // namespace lumivex
