#include <gtest/gtest.h>

#include "app/core/view_geometry.h"

namespace lumivex {
namespace {

struct Click {
    ViewPoint down;
    ViewPoint up;
    ViewTool tool = ViewTool::kZoom;
    bool ctrl = false;
    bool alt = false;
};

class ViewMouse : public ::testing::Test {
protected:
    ViewMouse() {
        view.SetClientSize(400, 300);
        view.SetPicture(2000, 1500);
    }

    DragMode Run(const Click& click) {
        const DragMode mode = view.Press(click.down, click.tool, click.ctrl, click.alt);
        view.Drag(click.up);
        view.Release(click.up);
        return mode;
    }

    ViewGeometry view;
};

TEST_F(ViewMouse, ZoomToolClickZoomsInAtThePointer) {
    // The release point decides where: (251 + 1000 - 200, 103 + 750 - 150) at zoom 1.
    EXPECT_EQ(view.ClientToPicture({251, 103}), (ViewPoint{1051, 703}));
    EXPECT_EQ(Run({{250, 100}, {251, 103}}), DragMode::kZoomIn);  // squared distance 10: a click
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.2);
    EXPECT_EQ(view.Centre(), (ViewPoint{1051, 703}));
    EXPECT_EQ(view.Mode(), DragMode::kNone);
    EXPECT_FALSE(view.RubberBand().has_value());
}

TEST_F(ViewMouse, ThreePixelDragIsARubberBand) {
    EXPECT_EQ(view.Press({100, 100}, ViewTool::kZoom, false, false), DragMode::kZoomIn);
    const ViewChange moved = view.Drag({103, 103});
    EXPECT_TRUE(moved.rubberBand);
    EXPECT_FALSE(moved.view);
    EXPECT_EQ(view.RubberBand(), (ViewRect{100, 100, 104, 104}));
    EXPECT_TRUE(view.Release({103, 103}).view);
    // Squared distance 18 > 10: zoom to the 3 × 3 band, counted as 10 screen pixels:
    // 1.0 × min(400 / 10, 300 / 10).
    EXPECT_DOUBLE_EQ(view.Zoom(), 30.0);
    EXPECT_FALSE(view.RubberBand().has_value());
}

TEST_F(ViewMouse, AltClickWithTheHandToolZoomsOut) {
    EXPECT_EQ(Run({{200, 150}, {200, 150}, ViewTool::kHand, false, true}), DragMode::kZoomOut);
    EXPECT_DOUBLE_EQ(view.Zoom(), 0.8);
    // Alt wins over Ctrl, and with the zoom tool too.
    EXPECT_EQ(Run({{200, 150}, {200, 150}, ViewTool::kZoom, true, true}), DragMode::kZoomOut);
    EXPECT_DOUBLE_EQ(view.Zoom(), 0.6);
}

TEST_F(ViewMouse, CtrlClickWithTheHandToolZoomsIn) {
    EXPECT_EQ(Run({{200, 150}, {200, 150}, ViewTool::kHand, true, false}), DragMode::kZoomIn);
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.2);
}

TEST_F(ViewMouse, HandToolPansAgainstThePointer) {
    view.SetZoom(2.0);
    const ViewPoint start = view.Centre();
    EXPECT_EQ(view.Press({200, 150}, ViewTool::kHand, false, false), DragMode::kPan);
    EXPECT_TRUE(view.Drag({241, 171}).view);
    // truncate(41 / 2) = 20, truncate(21 / 2) = 10
    EXPECT_EQ(view.Centre(), (ViewPoint{start.x - 20, start.y - 10}));
    view.Drag({-5000, -5000});  // far past the edge: clamped
    EXPECT_EQ(view.Centre(), (ViewPoint{2000 - 100, 1500 - 75}));
    EXPECT_FALSE(view.Release({-5000, -5000}).view);
    EXPECT_DOUBLE_EQ(view.Zoom(), 2.0);
}

TEST_F(ViewMouse, NavigatorDragMovesByPictureUnits) {
    // 2000 × 1500: box 40 × 30; the view outline starts at 3 + (1000 - 200) × 40 / 2000 = 19.
    EXPECT_EQ(view.NavigatorBox(), (ViewRect{3, 3, 43, 33}));
    const ViewRect outline = view.NavigatorView();
    EXPECT_EQ(outline, (ViewRect{19, 15, 27, 21}));
    EXPECT_EQ(view.CursorAt({20, 16}, ViewCursor::kHand), ViewCursor::kCrosshair);
    EXPECT_EQ(view.CursorAt({60, 60}, ViewCursor::kHand), ViewCursor::kHand);
    EXPECT_EQ(view.Press({20, 16}, ViewTool::kZoom, false, false), DragMode::kNavigator);
    view.Drag({24, 13});  // +4 × 2000 / 40, -3 × 1500 / 30
    EXPECT_EQ(view.Centre(), (ViewPoint{1200, 600}));
    view.Release({24, 13});
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.0);
}

TEST_F(ViewMouse, HiddenNavigatorIsNotAHitTarget) {
    view.SetZoom(0.1);  // 200 × 150 fits: no navigator, so the corner is an ordinary click
    EXPECT_FALSE(view.NavigatorShown());
    EXPECT_EQ(view.CursorAt({5, 5}, ViewCursor::kZoomIn), ViewCursor::kZoomIn);
    EXPECT_EQ(view.Press({5, 5}, ViewTool::kZoom, false, false), DragMode::kZoomIn);
    view.SetZoom(1.0);
    view.SetNavigatorEnabled(false);
    EXPECT_EQ(view.Press({20, 16}, ViewTool::kHand, false, false), DragMode::kPan);
}

TEST_F(ViewMouse, EmptyPictureIgnoresClicks) {
    view.SetPicture(0, 0);
    EXPECT_EQ(Run({{200, 150}, {200, 150}}), DragMode::kNone);
    EXPECT_EQ(Run({{100, 100}, {300, 200}}), DragMode::kNone);
    EXPECT_EQ(Run({{100, 100}, {100, 100}, ViewTool::kHand, false, true}), DragMode::kNone);
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.0);
    EXPECT_EQ(view.Centre(), (ViewPoint{0, 0}));
}

TEST_F(ViewMouse, ReleaseWithoutPressDoesNothing) {
    const ViewChange change = view.Release({10, 10});
    EXPECT_FALSE(change.view);
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.0);
}

TEST(ViewToolCursor, ModifiersOverrideTheTool) {
    EXPECT_EQ(ToolCursor(ViewTool::kHand, false, false), ViewCursor::kHand);
    EXPECT_EQ(ToolCursor(ViewTool::kZoom, false, false), ViewCursor::kZoomIn);
    EXPECT_EQ(ToolCursor(ViewTool::kHand, true, false), ViewCursor::kZoomIn);
    EXPECT_EQ(ToolCursor(ViewTool::kHand, false, true), ViewCursor::kZoomOut);
    EXPECT_EQ(ToolCursor(ViewTool::kZoom, false, true), ViewCursor::kZoomOut);
}

}  // namespace
}  // namespace lumivex
