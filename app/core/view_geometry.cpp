#include "app/core/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace lumivex {

namespace {

constexpr double kZoomFactor = 1.2;
constexpr double kInverseZoomFactor = 0.8333333333333334;  // 1 / 1.2 as a double
constexpr double kStepRemainder = 0.05;
constexpr double kMaxStepZoom = 5.0;
constexpr double kMinStepZoom = 0.1;
constexpr double kMinBandSide = 10.0;

// The multiple of 0.2 nearest to the value, formed as the view has always formed it.
double NearestFifth(double value) {
    return static_cast<double>(RoundHalfAway(value * 5)) * 20 * 0.01;
}

double LimitZoom(double zoom) {
    if (!(zoom >= ViewGeometry::kMinZoom)) {  // also catches NaN
        return ViewGeometry::kMinZoom;
    }
    return std::min(zoom, ViewGeometry::kMaxZoom);
}

// centre clamped so that a visible span of `visible` pixels stays inside `size`, or the middle
// when the whole picture fits.
int32_t ClampAxis(int32_t centre, int32_t visible, int32_t size, bool larger) {
    if (!larger) {
        return size / 2;
    }
    const int32_t half = visible / 2;
    return std::max(half, std::min(centre, size - half));
}

int32_t SaturateToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t MulDiv(int64_t a, int64_t b, int64_t c) {
    return c == 0 ? 0 : SaturateToInt32(a * b / c);
}

}  // namespace

int32_t RoundHalfAway(double x) {
    const double r = x >= 0 ? x + 0.5 : x - 0.5;
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    if (!(r < kMax)) {
        return r >= kMax ? std::numeric_limits<int32_t>::max() : 0;  // NaN becomes 0
    }
    if (r <= kMin) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(r);
}

double ZoomInStep(double zoom) {
    double next = NearestFifth(zoom * kZoomFactor);
    // Below 0.1 the rounding can land on or under the old zoom; a zoom-in always enlarges.
    if (next <= zoom) {
        next = zoom + kStepRemainder;
    }
    return next >= kMaxStepZoom ? kMaxStepZoom : next;
}

double ZoomOutStep(double zoom) {
    double next = NearestFifth(zoom * kInverseZoomFactor);
    // Below 0.6 the rounding can land on or above the old zoom; a zoom-out always shrinks.
    if (next >= zoom) {
        next = zoom - kStepRemainder;
    }
    return next <= kMinStepZoom ? kMinStepZoom : next;
}

std::string ZoomStatusText(double zoom) {
    char text[64];
    std::snprintf(text, sizeof text, "Zoom %.0f%%", zoom * 100);
    return text;
}

ViewCursor ToolCursor(ViewTool tool, bool ctrl, bool alt) {
    if (alt) {
        return ViewCursor::kZoomOut;
    }
    if (ctrl || tool == ViewTool::kZoom) {
        return ViewCursor::kZoomIn;
    }
    return ViewCursor::kHand;
}

void ViewGeometry::SetPicture(int32_t width, int32_t height) {
    Relayout(width, height);
    centre_ = {width_ / 2, height_ / 2};
    Clamp();
}

void ViewGeometry::Relayout(int32_t width, int32_t height) {
    const bool valid = width > 0 && height > 0;
    width_ = valid ? width : 0;
    height_ = valid ? height : 0;
    UpdateNavigatorBox();
    Clamp();
}

void ViewGeometry::SetClientSize(int32_t width, int32_t height) {
    clientWidth_ = std::max(width, 0);
    clientHeight_ = std::max(height, 0);
    Clamp();
}

void ViewGeometry::SetZoom(double zoom) {
    zoom_ = LimitZoom(zoom);
    Clamp();
}

void ViewGeometry::SetCentre(int32_t x, int32_t y) {
    centre_ = {x, y};
    Clamp();
}

void ViewGeometry::SetNavigatorEnabled(bool enabled) {
    navigatorEnabled_ = enabled;
}

void ViewGeometry::UpdateSizes() {
    zoomedWidth_ = RoundHalfAway(width_ * zoom_);
    zoomedHeight_ = RoundHalfAway(height_ * zoom_);
    across_ = WiderThanWindow() ? RoundHalfAway(clientWidth_ / zoom_) : width_;
    down_ = TallerThanWindow() ? RoundHalfAway(clientHeight_ / zoom_) : height_;
}

void ViewGeometry::UpdateNavigatorBox() {
    int32_t boxWidth = kNavigatorSize;
    int32_t boxHeight = kNavigatorSize;
    if (HasPicture() && height_ >= width_) {
        boxWidth = MulDiv(kNavigatorSize, width_, height_);
    } else if (HasPicture()) {
        boxHeight = MulDiv(kNavigatorSize, height_, width_);
    }
    // A very thin picture still gets a box one pixel across, so dragging inside it can divide.
    boxWidth = std::max(boxWidth, 1);
    boxHeight = std::max(boxHeight, 1);
    navigatorBox_ = {kNavigatorMargin, kNavigatorMargin, kNavigatorMargin + boxWidth,
                     kNavigatorMargin + boxHeight};
}

void ViewGeometry::UpdateNavigatorView() {
    const int32_t boxWidth = navigatorBox_.Width();
    const int32_t boxHeight = navigatorBox_.Height();
    const int32_t left = kNavigatorMargin + MulDiv(centre_.x - across_ / 2, boxWidth, width_);
    const int32_t top = kNavigatorMargin + MulDiv(centre_.y - down_ / 2, boxHeight, height_);
    const int32_t viewWidth = std::max(MulDiv(across_, boxWidth, width_), 2);
    const int32_t viewHeight = std::max(MulDiv(boxHeight, down_, height_), 2);
    navigatorView_ = {left, top, left + viewWidth, top + viewHeight};
}

void ViewGeometry::Clamp() {
    zoom_ = LimitZoom(zoom_);
    if (!HasPicture()) {
        centre_ = {0, 0};
        UpdateSizes();
        navigatorView_ = {};
        return;
    }
    UpdateSizes();
    centre_.x = ClampAxis(centre_.x, across_, width_, WiderThanWindow());
    centre_.y = ClampAxis(centre_.y, down_, height_, TallerThanWindow());
    UpdateNavigatorView();
}

void ViewGeometry::ZoomAt(ViewPoint picturePoint, double zoom) {
    centre_ = picturePoint;
    zoom_ = LimitZoom(zoom);
    Clamp();
}

void ViewGeometry::ZoomInAt(ViewPoint picturePoint) {
    ZoomAt(picturePoint, ZoomInStep(zoom_));
}

void ViewGeometry::ZoomOutAt(ViewPoint picturePoint) {
    ZoomAt(picturePoint, ZoomOutStep(zoom_));
}

void ViewGeometry::ZoomToRectangle(ViewPoint corner1, ViewPoint corner2) {
    const ViewRect r{std::min(corner1.x, corner2.x), std::min(corner1.y, corner2.y),
                     std::max(corner1.x, corner2.x), std::max(corner1.y, corner2.y)};
    const double across = clientWidth_ / std::max(r.Width() * zoom_, kMinBandSide);
    const double down = clientHeight_ / std::max(r.Height() * zoom_, kMinBandSide);
    ZoomAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, zoom_ * std::min(across, down));
}

void ViewGeometry::WheelZoomAt(ViewPoint client, int steps) {
    if (!HasPicture() || steps == 0) {
        return;
    }
    double zoom = zoom_;
    for (int i = 0; i < std::abs(steps); ++i) {
        zoom = steps > 0 ? ZoomInStep(zoom) : ZoomOutStep(zoom);
    }
    const ViewPoint before = ClientToPicture(client);
    SetZoom(zoom);
    const ViewPoint after = ClientToPicture(client);
    SetCentre(centre_.x + before.x - after.x, centre_.y + before.y - after.y);
}

double ViewGeometry::FitZoom() const {
    if (!HasPicture() || clientWidth_ <= 0 || clientHeight_ <= 0) {
        return 1.0;
    }
    return std::min(static_cast<double>(clientWidth_) / width_,
                    static_cast<double>(clientHeight_) / height_);
}

void ViewGeometry::ZoomToFit() {
    ZoomAt({width_ / 2, height_ / 2}, FitZoom());
}

void ViewGeometry::ZoomToActualSize() {
    SetZoom(1.0);
}

ViewPoint ViewGeometry::PictureToClient(ViewPoint p) const {
    ViewPoint c;
    c.x = WiderThanWindow() ? RoundHalfAway((p.x + across_ / 2 - centre_.x) * zoom_)
                            : RoundHalfAway(p.x * zoom_) + (clientWidth_ - zoomedWidth_) / 2;
    c.y = TallerThanWindow() ? RoundHalfAway((p.y + down_ / 2 - centre_.y) * zoom_)
                             : RoundHalfAway(p.y * zoom_) + (clientHeight_ - zoomedHeight_) / 2;
    return c;
}

ViewPoint ViewGeometry::ClientToPicture(ViewPoint c) const {
    ViewPoint p;
    p.x = WiderThanWindow() ? RoundHalfAway(c.x / zoom_) + centre_.x - across_ / 2
                            : RoundHalfAway((c.x - (clientWidth_ - zoomedWidth_) / 2) / zoom_);
    p.y = TallerThanWindow() ? RoundHalfAway(c.y / zoom_) + centre_.y - down_ / 2
                             : RoundHalfAway((c.y - (clientHeight_ - zoomedHeight_) / 2) / zoom_);
    return p;
}

ViewRect ViewGeometry::SourceRect() const {
    const int32_t sx = WiderThanWindow() ? centre_.x - across_ / 2 : 0;
    const int32_t sy = TallerThanWindow() ? centre_.y - down_ / 2 : 0;
    return {sx, sy, sx + across_, sy + down_};
}

ViewRect ViewGeometry::DestinationRect() const {
    const ViewRect source = SourceRect();
    const ViewPoint topLeft = PictureToClient({source.left, source.top});
    return {topLeft.x, topLeft.y, topLeft.x + RoundHalfAway(across_ * zoom_),
            topLeft.y + RoundHalfAway(down_ * zoom_)};
}

bool ViewGeometry::NavigatorShown() const {
    return navigatorEnabled_ && HasPicture() && (WiderThanWindow() || TallerThanWindow());
}

std::optional<ViewRect> ViewGeometry::RubberBand() const {
    if (mode_ != DragMode::kZoomIn) {
        return std::nullopt;
    }
    return ViewRect{std::min(downPoint_.x, bandEnd_.x), std::min(downPoint_.y, bandEnd_.y),
                    std::max(downPoint_.x, bandEnd_.x) + 1, std::max(downPoint_.y, bandEnd_.y) + 1};
}

DragMode ViewGeometry::Press(ViewPoint client, ViewTool tool, bool ctrl, bool alt) {
    mode_ = DragMode::kNone;
    // Without a picture a click has nothing to act on, and must not change the kept zoom.
    if (!HasPicture()) {
        return mode_;
    }
    downPoint_ = client;
    bandEnd_ = client;
    if (NavigatorShown() && navigatorView_.Contains(client.x, client.y)) {
        mode_ = DragMode::kNavigator;
    } else if (alt) {
        mode_ = DragMode::kZoomOut;
    } else if (ctrl || tool == ViewTool::kZoom) {
        mode_ = DragMode::kZoomIn;
    } else {
        mode_ = DragMode::kPan;
    }
    if (mode_ == DragMode::kPan || mode_ == DragMode::kNavigator) {
        savedCentre_ = centre_;
    }
    return mode_;
}

ViewChange ViewGeometry::Drag(ViewPoint client) {
    ViewChange change;
    const ViewPoint before = centre_;
    const int32_t dx = client.x - downPoint_.x;
    const int32_t dy = client.y - downPoint_.y;
    switch (mode_) {
        case DragMode::kPan:
            SetCentre(SaturateToInt32(savedCentre_.x - static_cast<int64_t>(dx / zoom_)),
                      SaturateToInt32(savedCentre_.y - static_cast<int64_t>(dy / zoom_)));
            change.view = !(centre_ == before);
            break;
        case DragMode::kNavigator:
            SetCentre(SaturateToInt32(int64_t{savedCentre_.x} +
                                      MulDiv(dx, width_, navigatorBox_.Width())),
                      SaturateToInt32(int64_t{savedCentre_.y} +
                                      MulDiv(dy, height_, navigatorBox_.Height())));
            change.view = !(centre_ == before);
            break;
        case DragMode::kZoomIn:
            change.rubberBand = !(bandEnd_ == client);
            bandEnd_ = client;
            break;
        case DragMode::kZoomOut:
        case DragMode::kNone:
            break;
    }
    return change;
}

ViewChange ViewGeometry::Release(ViewPoint client) {
    ViewChange change;
    const DragMode mode = mode_;
    mode_ = DragMode::kNone;
    if (mode == DragMode::kNone) {
        return change;
    }
    const ViewPoint up = ClientToPicture(client);
    if (mode == DragMode::kZoomIn) {
        const int64_t dx = client.x - downPoint_.x;
        const int64_t dy = client.y - downPoint_.y;
        if (dx * dx + dy * dy <= kClickDistanceSquared) {
            ZoomInAt(up);
        } else {
            ZoomToRectangle(ClientToPicture(downPoint_), up);
        }
        change.view = true;
        change.rubberBand = true;
    } else if (mode == DragMode::kZoomOut) {
        ZoomOutAt(up);
        change.view = true;
    }
    downPoint_ = {-1, -1};
    return change;
}

ViewCursor ViewGeometry::CursorAt(ViewPoint client, ViewCursor toolCursor) const {
    if (NavigatorShown() && navigatorView_.Contains(client.x, client.y)) {
        return ViewCursor::kCrosshair;
    }
    return toolCursor;
}

}  // namespace lumivex
