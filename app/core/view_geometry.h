// Geometry of the zoomable, pannable picture view: zoom and its steps, the centre kept inside the
// picture, the visible part, mapping between picture and client pixels, the outline navigator in
// the top-left corner and the mouse drag modes. Plain C++ so the rules run without a display; the
// Qt widget only paints what this class computes and forwards mouse events to it.
//
// Units: picture coordinates are picture pixels with x to the right and y downwards from the top
// row; client coordinates are window pixels from the client area's top-left corner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumivex {

// Rounds half away from zero and truncates to an integer.
[[nodiscard]] int32_t RoundHalfAway(double x);

// The next zoom factor of one zoom-in click: the multiple of 0.2 nearest to 1.2 × zoom, at least
// 0.05 above the old zoom, at most 5.0.
[[nodiscard]] double ZoomInStep(double zoom);
// The next zoom factor of one zoom-out click: the multiple of 0.2 nearest to zoom / 1.2, 0.05
// below the old zoom when rounding gives the old zoom back, at least 0.1.
[[nodiscard]] double ZoomOutStep(double zoom);

// "Zoom 120%" for zoom 1.2: the status text of a view.
[[nodiscard]] std::string ZoomStatusText(double zoom);

// A rectangle with exclusive right and bottom edges.
struct ViewRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    [[nodiscard]] int32_t Width() const { return right - left; }
    [[nodiscard]] int32_t Height() const { return bottom - top; }
    [[nodiscard]] bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    bool operator==(const ViewRect&) const = default;
};

struct ViewPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ViewPoint&) const = default;
};

// The two tools shared by every view of the application.
enum class ViewTool { kHand = 0, kZoom = 1 };

// The cursors a view shows.
enum class ViewCursor { kHand, kZoomIn, kZoomOut, kCrosshair };

// What a left-button press started.
enum class DragMode { kNone = 0, kPan = 1, kNavigator = 2, kZoomIn = 3, kZoomOut = 4 };

// The tool cursor for the active tool while Ctrl or Alt is held: Alt shows zoom-out, Ctrl zoom-in,
// neither the tool's own cursor (hand, or zoom-in for the zoom tool).
[[nodiscard]] ViewCursor ToolCursor(ViewTool tool, bool ctrl, bool alt);

// What a mouse event changed, so the widget knows what to repaint and whether to notify.
struct ViewChange {
    bool view = false;        // zoom or centre changed: repaint and notify
    bool rubberBand = false;  // the rubber band moved: repaint the overlay only
};

class ViewGeometry {
public:
    static constexpr double kMinZoom = 0.01;
    static constexpr double kMaxZoom = 100.0;
    static constexpr int32_t kNavigatorMargin = 3;
    static constexpr int32_t kNavigatorSize = 40;
    // A press and release closer than this (squared client distance) is a click, not a band.
    static constexpr int32_t kClickDistanceSquared = 10;

    // Binds a picture of the given size (0 × 0 for none). Keeps the zoom, puts the centre on the
    // picture centre and rebuilds the navigator box.
    void SetPicture(int32_t width, int32_t height);
    // Takes a new size of the same bound picture (its pixels were replaced) while keeping the
    // centre as far as it still fits; rebuilds the navigator and clamps.
    void Relayout(int32_t width, int32_t height);
    void SetClientSize(int32_t width, int32_t height);
    // The zoom is held within [kMinZoom, kMaxZoom]; the centre is clamped afterwards.
    void SetZoom(double zoom);
    void SetCentre(int32_t x, int32_t y);
    void SetNavigatorEnabled(bool enabled);

    void ZoomInAt(ViewPoint picturePoint);
    void ZoomOutAt(ViewPoint picturePoint);
    // Zooms so that the picture rectangle between the two corners fills the window.
    void ZoomToRectangle(ViewPoint corner1, ViewPoint corner2);
    // The mouse wheel: steps zoom-in (positive) or zoom-out (negative) steps, keeping the
    // picture point under the client point where it is as far as the clamp allows.
    void WheelZoomAt(ViewPoint client, int steps);
    // The whole picture in the window, centred; 1.0 without a picture or a window.
    [[nodiscard]] double FitZoom() const;
    void ZoomToFit();
    // One picture pixel per screen pixel, around the same centre.
    void ZoomToActualSize();

    [[nodiscard]] ViewPoint PictureToClient(ViewPoint p) const;
    [[nodiscard]] ViewPoint ClientToPicture(ViewPoint p) const;

    // Mouse: a left-button press with the active tool and modifiers, moves while it is held, and
    // its release.
    DragMode Press(ViewPoint client, ViewTool tool, bool ctrl, bool alt);
    ViewChange Drag(ViewPoint client);
    ViewChange Release(ViewPoint client);
    // The cursor at a client point: the crosshair over the navigator view, else the tool cursor.
    [[nodiscard]] ViewCursor CursorAt(ViewPoint client, ViewCursor toolCursor) const;

    [[nodiscard]] bool HasPicture() const { return width_ > 0 && height_ > 0; }
    [[nodiscard]] double Zoom() const { return zoom_; }
    [[nodiscard]] ViewPoint Centre() const { return centre_; }
    [[nodiscard]] int32_t PictureWidth() const { return width_; }
    [[nodiscard]] int32_t PictureHeight() const { return height_; }
    [[nodiscard]] int32_t ClientWidth() const { return clientWidth_; }
    [[nodiscard]] int32_t ClientHeight() const { return clientHeight_; }
    [[nodiscard]] int32_t ZoomedWidth() const { return zoomedWidth_; }
    [[nodiscard]] int32_t ZoomedHeight() const { return zoomedHeight_; }
    [[nodiscard]] int32_t VisibleAcross() const { return across_; }
    [[nodiscard]] int32_t VisibleDown() const { return down_; }
    [[nodiscard]] bool WiderThanWindow() const { return clientWidth_ < zoomedWidth_; }
    [[nodiscard]] bool TallerThanWindow() const { return clientHeight_ < zoomedHeight_; }
    [[nodiscard]] DragMode Mode() const { return mode_; }

    // The picture rectangle drawn, in picture pixels from the top row: visible size from the
    // source origin. Parts of it may lie outside the picture by one pixel; painting clips.
    [[nodiscard]] ViewRect SourceRect() const;
    // Where the source rectangle lands in client pixels.
    [[nodiscard]] ViewRect DestinationRect() const;

    [[nodiscard]] bool NavigatorShown() const;
    [[nodiscard]] ViewRect NavigatorBox() const { return navigatorBox_; }
    [[nodiscard]] ViewRect NavigatorView() const { return navigatorView_; }
    // The rubber band from the press point to the pointer while a zoom-in drag runs.
    [[nodiscard]] std::optional<ViewRect> RubberBand() const;

private:
    void UpdateSizes();
    void UpdateNavigatorBox();
    void UpdateNavigatorView();
    void Clamp();
    void ZoomAt(ViewPoint picturePoint, double zoom);

    int32_t width_ = 0;
    int32_t height_ = 0;
    double zoom_ = 1.0;
    ViewPoint centre_;
    ViewPoint savedCentre_{-1, -1};
    ViewPoint downPoint_{-1, -1};
    ViewPoint bandEnd_{-1, -1};
    int32_t clientWidth_ = 0;
    int32_t clientHeight_ = 0;
    int32_t across_ = 0;
    int32_t down_ = 0;
    int32_t zoomedWidth_ = 0;
    int32_t zoomedHeight_ = 0;
    ViewRect navigatorBox_{kNavigatorMargin, kNavigatorMargin, kNavigatorMargin + kNavigatorSize,
                           kNavigatorMargin + kNavigatorSize};
    ViewRect navigatorView_;
    bool navigatorEnabled_ = true;
    DragMode mode_ = DragMode::kNone;
};

}  // namespace lumivex
