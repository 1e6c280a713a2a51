#include <gtest/gtest.h>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "app/ui/image_view.h"
#include "image/rgb_image.h"
#include "tests/appview/qt_test_app.h"

namespace lumivex {
namespace {

// Picture pixel (x, r), r counted from the top row, gets a colour that names it.
QRgb PixelColour(int x, int r) {
    return qRgb(10 + 40 * x, 20 + 50 * r, 200 - 30 * x);
}

RgbImage MakePicture(int width, int height) {
    RgbImage picture;
    EXPECT_TRUE(picture.Allocate(width, height, 24));
    for (int r = 0; r < height; ++r) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = PixelColour(x, r);
            // Stored rows run bottom-up.
            picture.WritePixelColour(x, height - 1 - r, MakeColour(qRed(c), qGreen(c), qBlue(c)));
        }
    }
    return picture;
}

QImage Render(ImageView& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class ImageViewWidget : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        ImageViewTools::Shared().SelectTool(ViewTool::kHand);
        ImageViewTools::Shared().SetModifiers(Qt::NoModifier);
    }
};

TEST_F(ImageViewWidget, ReplicatesPixelsTopRowFirst) {
    RgbImage picture = MakePicture(4, 3);
    ImageView view;
    view.resize(8, 6);
    view.SetPicture(&picture);
    view.SetZoom(2.0);
    const QImage shown = Render(view);
    ASSERT_EQ(shown.size(), QSize(8, 6));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(shown.pixel(x, y), PixelColour(x / 2, y / 2)) << x << "," << y;
        }
    }
}

TEST_F(ImageViewWidget, SmallPictureHasBlackBandsAndNoPictureIsDarkGrey) {
    RgbImage picture = MakePicture(4, 2);
    ImageView view;
    view.resize(10, 6);
    view.SetPicture(&picture);
    QImage shown = Render(view);
    // 4 × 2 centred in 10 × 6: columns 3..6, rows 2..3.
    EXPECT_EQ(shown.pixel(3, 2), PixelColour(0, 0));
    EXPECT_EQ(shown.pixel(6, 3), PixelColour(3, 1));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(9, 5), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(2, 2), qRgb(0, 0, 0));

    RgbImage empty;
    view.SetPicture(&empty);
    shown = Render(view);
    EXPECT_EQ(shown.pixel(0, 0), qRgb(64, 64, 64));
    EXPECT_EQ(shown.pixel(9, 5), qRgb(64, 64, 64));
}

TEST_F(ImageViewWidget, PansWithinALargePictureAndOutlinesTheNavigator) {
    RgbImage picture = MakePicture(200, 100);
    ImageView view;
    view.resize(100, 50);
    view.SetPicture(&picture);
    view.SetCentre(0, 0);  // clamped to (50, 25): the top-left corner fills the window
    QImage shown = Render(view);
    EXPECT_EQ(shown.pixel(99, 49), PixelColour(99, 49));
    // Navigator box 40 × 20 at (3, 3); the view outline inside it is 20 × 10.
    EXPECT_EQ(view.Geometry().NavigatorView(), (ViewRect{3, 3, 23, 13}));
    EXPECT_EQ(shown.pixel(3, 8), qRgb(255, 32, 32));
    EXPECT_EQ(shown.pixel(30, 22), qRgb(32, 32, 32));
    view.SetCentre(150, 75);
    shown = Render(view);
    EXPECT_EQ(shown.pixel(99, 49), PixelColour(199, 99));
    EXPECT_EQ(shown.pixel(60, 30), PixelColour(160, 80));
}

TEST_F(ImageViewWidget, FollowsAPictureReplacedUnderIt) {
    RgbImage picture = MakePicture(200, 100);
    ImageView view;
    view.resize(100, 50);
    view.SetPicture(&picture);
    view.SetCentre(150, 75);
    Render(view);
    // A new run replaces the bound result with a smaller picture; the next paint must not read
    // it with the old size.
    RgbImage smaller = MakePicture(4, 2);
    picture.TakeFrom(smaller);
    const QImage shown = Render(view);
    EXPECT_EQ(view.Geometry().PictureWidth(), 4);
    EXPECT_EQ(view.Geometry().Centre(), (ViewPoint{2, 1}));
    EXPECT_EQ(shown.pixel(48, 24), PixelColour(0, 0));
}

TEST_F(ImageViewWidget, AltClickWithTheHandToolZoomsOutAndNotifies) {
    RgbImage picture = MakePicture(200, 100);
    ImageView view;
    view.resize(100, 50);
    view.SetPicture(&picture);
    view.show();
    QSignalSpy spy(&view, &ImageView::viewChanged);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::AltModifier, QPoint(80, 40));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_DOUBLE_EQ(spy.at(0).at(0).toDouble(), 0.8);
    EXPECT_DOUBLE_EQ(view.Zoom(), 0.8);

    ImageViewTools::Shared().SelectTool(ViewTool::kZoom);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(80, 40));
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.0);
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(ImageViewWidget, ToolCommandsAreSharedAndChecked) {
    ImageViewTools& tools = ImageViewTools::Shared();
    CommandState zoom;
    CommandState hand;
    ASSERT_TRUE(tools.UpdateCommand(9215, zoom));
    ASSERT_TRUE(tools.UpdateCommand(9203, hand));
    EXPECT_FALSE(zoom.checked);
    EXPECT_TRUE(hand.checked);
    EXPECT_TRUE(tools.HandleCommand(9215));
    tools.UpdateCommand(9215, zoom);
    tools.UpdateCommand(9203, hand);
    EXPECT_TRUE(zoom.checked);
    EXPECT_FALSE(hand.checked);
    EXPECT_EQ(tools.ToolCursorNow(), ViewCursor::kZoomIn);
    tools.SetModifiers(Qt::AltModifier);
    EXPECT_EQ(tools.ToolCursorNow(), ViewCursor::kZoomOut);
    EXPECT_FALSE(tools.HandleCommand(9218));
}

}  // namespace
}  // namespace lumivex
