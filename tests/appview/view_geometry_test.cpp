#include "app/core/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

namespace lumivex {
namespace {

TEST(ViewRounding, HalfAwayFromZeroAndSaturating) {
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(2.4999), 2);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(-2.4999), -2);
    EXPECT_EQ(RoundHalfAway(1e12), INT32_MAX);
    EXPECT_EQ(RoundHalfAway(-1e12), INT32_MIN);
    EXPECT_EQ(RoundHalfAway(std::nan("")), 0);
}

TEST(ZoomSteps, ZoomInFollowsTheFifthsAndStopsAtFive) {
    EXPECT_DOUBLE_EQ(ZoomInStep(1.0), 1.2);
    EXPECT_DOUBLE_EQ(ZoomInStep(ZoomInStep(1.0)), 1.4);  // 1.2 × 1.2 × 5 = 7.2 → 7 × 0.2
    EXPECT_DOUBLE_EQ(ZoomInStep(4.8), 5.0);              // 5.8 capped
    EXPECT_DOUBLE_EQ(ZoomInStep(5.0), 5.0);
    // Far below the steps the nearest fifth is 0; a zoom-in must still enlarge.
    EXPECT_DOUBLE_EQ(ZoomInStep(0.01), 0.06);
    double zoom = 0.01;
    for (int i = 0; i < 200; ++i) {
        const double next = ZoomInStep(zoom);
        ASSERT_TRUE(next > zoom || next == 5.0) << "from " << zoom;
        zoom = next;
    }
    EXPECT_DOUBLE_EQ(zoom, 5.0);
}

TEST(ZoomSteps, ZoomOutFollowsTheFifthsAndStopsAtOneTenth) {
    EXPECT_DOUBLE_EQ(ZoomOutStep(1.0), 0.8);
    EXPECT_DOUBLE_EQ(ZoomOutStep(0.1), 0.1);   // 0 raised to 0.1
    EXPECT_DOUBLE_EQ(ZoomOutStep(0.15), 0.1);  // rounding up to 0.2 would enlarge
    EXPECT_DOUBLE_EQ(ZoomOutStep(5.0), 4.2);   // 20.83 → 21 × 0.2
    double zoom = 100.0;
    for (int i = 0; i < 200; ++i) {
        const double next = ZoomOutStep(zoom);
        ASSERT_TRUE(next < zoom || next == 0.1) << "from " << zoom;
        zoom = next;
    }
    EXPECT_DOUBLE_EQ(zoom, 0.1);
}

TEST(ZoomSteps, StatusText) {
    EXPECT_EQ(ZoomStatusText(1.0), "Zoom 100%");
    EXPECT_EQ(ZoomStatusText(1.2), "Zoom 120%");
    EXPECT_EQ(ZoomStatusText(0.1), "Zoom 10%");
}

ViewGeometry MakeView(int32_t width, int32_t height, int32_t clientWidth, int32_t clientHeight,
                      double zoom = 1.0) {
    ViewGeometry view;
    view.SetClientSize(clientWidth, clientHeight);
    view.SetPicture(width, height);
    view.SetZoom(zoom);
    return view;
}

TEST(ViewClamp, CentreStaysInsideALargePicture) {
    ViewGeometry view = MakeView(1000, 800, 400, 300);
    EXPECT_EQ(view.Centre(), (ViewPoint{500, 400}));
    EXPECT_EQ(view.VisibleAcross(), 400);
    EXPECT_EQ(view.VisibleDown(), 300);
    view.SetCentre(0, 0);
    EXPECT_EQ(view.Centre(), (ViewPoint{200, 150}));
    view.SetCentre(5000, -7);
    EXPECT_EQ(view.Centre(), (ViewPoint{800, 150}));
    EXPECT_EQ(view.SourceRect(), (ViewRect{600, 0, 1000, 300}));
    EXPECT_EQ(view.DestinationRect(), (ViewRect{0, 0, 400, 300}));
    EXPECT_TRUE(view.NavigatorShown());
}

TEST(ViewClamp, SmallPictureIsCentredWithBandsAndNoNavigator) {
    ViewGeometry view = MakeView(100, 50, 400, 300, 2.0);
    view.SetCentre(0, 0);
    EXPECT_EQ(view.Centre(), (ViewPoint{50, 25}));
    EXPECT_EQ(view.VisibleAcross(), 100);
    EXPECT_EQ(view.SourceRect(), (ViewRect{0, 0, 100, 50}));
    // 200 × 100 on screen, centred: bands of 100 left and right, 100 above and below.
    EXPECT_EQ(view.DestinationRect(), (ViewRect{100, 100, 300, 200}));
    EXPECT_FALSE(view.NavigatorShown());
}

TEST(ViewClamp, WiderOnlyClampsTheWideAxis) {
    ViewGeometry view = MakeView(1000, 100, 400, 300);
    view.SetCentre(10, 10);
    EXPECT_EQ(view.Centre(), (ViewPoint{200, 50}));
    EXPECT_EQ(view.DestinationRect(), (ViewRect{0, 100, 400, 200}));
}

TEST(ViewClamp, ZoomIsLimited) {
    ViewGeometry view = MakeView(100, 100, 50, 50);
    view.SetZoom(1000.0);
    EXPECT_DOUBLE_EQ(view.Zoom(), 100.0);
    view.SetZoom(0.0);
    EXPECT_DOUBLE_EQ(view.Zoom(), 0.01);
    view.SetZoom(-3.0);
    EXPECT_DOUBLE_EQ(view.Zoom(), 0.01);
}

TEST(ViewClamp, NoPictureKeepsZoomAndCentresOnOrigin) {
    ViewGeometry view = MakeView(0, 0, 400, 300, 2.4);
    EXPECT_FALSE(view.HasPicture());
    EXPECT_EQ(view.Centre(), (ViewPoint{0, 0}));
    EXPECT_DOUBLE_EQ(view.Zoom(), 2.4);
    EXPECT_FALSE(view.NavigatorShown());
    view.SetPicture(10, 10);
    EXPECT_DOUBLE_EQ(view.Zoom(), 2.4);  // the zoom survives set-picture
}

TEST(ViewNavigator, TallThenWidePicture) {
    ViewGeometry view = MakeView(500, 1000, 200, 200);
    EXPECT_EQ(view.NavigatorBox(), (ViewRect{3, 3, 23, 43}));
    view.SetPicture(1000, 500);
    EXPECT_EQ(view.NavigatorBox(), (ViewRect{3, 3, 43, 23}));
    EXPECT_EQ(view.NavigatorBox().Width(), 40);
}

TEST(ViewNavigator, ViewOutlinesTheVisiblePart) {
    ViewGeometry view = MakeView(1000, 500, 250, 125);
    // left = 3 + (500 - 125) × 40 / 1000, top = 3 + (250 - 62) × 20 / 500 (integer arithmetic)
    EXPECT_EQ(view.NavigatorView(), (ViewRect{18, 10, 28, 15}));
    view.SetCentre(0, 0);
    EXPECT_EQ(view.NavigatorView(), (ViewRect{3, 3, 13, 8}));
    view.SetZoom(20.0);  // 13 × 6 picture pixels: the outline keeps a 2-pixel minimum
    EXPECT_EQ(view.NavigatorView().Width(), 2);
    EXPECT_EQ(view.NavigatorView().Height(), 2);
}

TEST(ViewNavigator, ThinPictureStillHasABox) {
    ViewGeometry view = MakeView(10000, 3, 100, 100);
    EXPECT_EQ(view.NavigatorBox().Width(), 40);
    EXPECT_EQ(view.NavigatorBox().Height(), 1);
}

// Mapping between picture and client pixels, over zooms and window sizes on both sides of the
// picture size.
class ViewMapping : public ::testing::TestWithParam<std::tuple<double, int32_t>> {};

TEST_P(ViewMapping, RoundTrips) {
    const auto [zoom, client] = GetParam();
    ViewGeometry view = MakeView(301, 203, client, client * 3 / 4, zoom);
    view.SetCentre(170, 90);
    const ViewRect source = view.SourceRect();
    if (zoom >= 1.0) {
        // Each picture pixel owns at least one client pixel: picture → client → picture is exact.
        for (int32_t y = source.top; y < source.bottom; y += 7) {
            for (int32_t x = source.left; x < source.right; x += 5) {
                EXPECT_EQ(view.ClientToPicture(view.PictureToClient({x, y})), (ViewPoint{x, y}))
                    << x << "," << y;
            }
        }
    }
    if (zoom <= 1.0) {
        // Each client pixel shows at least one picture pixel: client → picture → client is exact.
        for (int32_t y = 0; y < view.ClientHeight(); y += 7) {
            for (int32_t x = 0; x < view.ClientWidth(); x += 5) {
                EXPECT_EQ(view.PictureToClient(view.ClientToPicture({x, y})), (ViewPoint{x, y}))
                    << x << "," << y;
            }
        }
    }
    // The source origin lands on the destination's corner.
    const ViewRect dest = view.DestinationRect();
    EXPECT_EQ(view.PictureToClient({source.left, source.top}), (ViewPoint{dest.left, dest.top}));
}

INSTANTIATE_TEST_SUITE_P(ZoomsAndWindows, ViewMapping,
                         ::testing::Combine(::testing::Values(0.1, 0.37, 0.8, 1.0, 1.2, 2.0, 3.7,
                                                              5.0, 23.0),
                                            ::testing::Values(64, 300, 1280)));

// Over many picture and window sizes, zooms and requested centres: what is drawn stays inside
// the picture (one pixel of rounding at most), fills the window along a larger axis, and is
// centred along a smaller one.
class ViewCoverage : public ::testing::TestWithParam<std::tuple<int32_t, int32_t>> {};

void ExpectAxisCovered(int32_t sourceStart, int32_t sourceEnd, int32_t destStart, int32_t destEnd,
                       int32_t size, int32_t zoomedSize, int32_t client, double zoom) {
    if (client < zoomedSize) {
        EXPECT_GE(sourceStart, 0);
        EXPECT_LE(sourceEnd, size + 1);
        EXPECT_EQ(destStart, 0);
        EXPECT_GE(destEnd, client - zoom);  // short by less than one picture pixel
    } else {
        EXPECT_EQ(sourceStart, 0);
        EXPECT_EQ(sourceEnd, size);
        EXPECT_EQ(destStart, (client - zoomedSize) / 2);
        EXPECT_EQ(destEnd - destStart, zoomedSize);
    }
}

void ExpectDrawnPartInside(int32_t width, int32_t height, int32_t clientWidth, int32_t clientHeight,
                           double zoom, int32_t centre) {
    ViewGeometry view;
    view.SetClientSize(clientWidth, clientHeight);
    view.SetPicture(width, height);
    view.SetZoom(zoom);
    view.SetCentre(centre, centre);
    SCOPED_TRACE(testing::Message() << "window " << clientWidth << "x" << clientHeight << " zoom "
                                    << zoom << " centre " << centre);
    const ViewRect source = view.SourceRect();
    const ViewRect dest = view.DestinationRect();
    ExpectAxisCovered(source.left, source.right, dest.left, dest.right, width, view.ZoomedWidth(),
                      clientWidth, zoom);
    ExpectAxisCovered(source.top, source.bottom, dest.top, dest.bottom, height, view.ZoomedHeight(),
                      clientHeight, zoom);
    const ViewRect box = view.NavigatorBox();
    const ViewRect outline = view.NavigatorView();
    EXPECT_GE(outline.left, box.left);
    EXPECT_GE(outline.top, box.top);
    EXPECT_LE(outline.left, box.right);
    EXPECT_LE(outline.top, box.bottom);
}

TEST_P(ViewCoverage, DrawnPartStaysInsideThePicture) {
    const auto [width, height] = GetParam();
    for (const auto& [clientWidth, clientHeight] :
         {std::pair{1, 1}, std::pair{97, 61}, std::pair{640, 480}, std::pair{1919, 1080}}) {
        for (const double zoom : {0.01, 0.1, 0.37, 1.0, 1.4, 5.0, 100.0}) {
            for (const int32_t centre : {-100000, 0, 333, 100000}) {
                ExpectDrawnPartInside(width, height, clientWidth, clientHeight, zoom, centre);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ViewCoverage,
                         ::testing::Combine(::testing::Values(1, 7, 640, 8000),
                                            ::testing::Values(1, 5, 480, 6000)));

TEST(ViewZoomAt, ThePointZoomedAtMovesToTheMiddle) {
    ViewGeometry view = MakeView(2000, 1500, 400, 300);
    view.SetCentre(1000, 700);
    const ViewPoint p{1100, 650};
    view.ZoomInAt(p);
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.2);
    EXPECT_EQ(view.Centre(), p);
    // The middle up to the integer half of the visible width: (1100 + 333 / 2 - 1100) × 1.2.
    EXPECT_EQ(view.PictureToClient(p), (ViewPoint{199, 150}));
    view.ZoomOutAt({5, 5});  // near the corner the clamp wins
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.0);
    EXPECT_EQ(view.Centre(), (ViewPoint{200, 150}));
}

TEST(ViewZoomAt, RectangleFillsTheWindow) {
    ViewGeometry view = MakeView(2000, 1500, 400, 300);
    view.ZoomToRectangle({600, 500}, {400, 400});  // 200 × 100, given in reverse order
    EXPECT_DOUBLE_EQ(view.Zoom(), 2.0);            // min(400 / 200, 300 / 100)
    EXPECT_EQ(view.Centre(), (ViewPoint{500, 450}));
    // A band thinner than 10 screen pixels counts as 10 wide, and the zoom stays below 100.
    for (int i = 0; i < 5; ++i) {
        view.ZoomToRectangle({500, 450}, {500, 450});
    }
    EXPECT_DOUBLE_EQ(view.Zoom(), 100.0);
    EXPECT_GE(view.VisibleAcross(), 4);
}

}  // namespace
}  // namespace lumivex
