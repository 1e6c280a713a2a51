#include "app/ui/image_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "app/core/command_ids.h"
#include "image/rgb_image.h"

namespace lumivex {

namespace {

const QColor kNoPictureColour(64, 64, 64);
const QColor kBandColour(0, 0, 0);
const QColor kNavigatorBoxColour(32, 32, 32);
const QColor kNavigatorViewColour(255, 32, 32);

// A magnifier with a plus (zoom in) or a minus (zoom out); the hot spot is the lens centre.
QCursor MagnifierCursor(bool plus) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(19, 19), QPointF(28, 28));
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawEllipse(QPointF(12, 12), 8, 8);
    painter.drawLine(QPointF(8, 12), QPointF(16, 12));
    if (plus) {
        painter.drawLine(QPointF(12, 8), QPointF(12, 16));
    }
    painter.end();
    return QCursor(pixmap, 12, 12);
}

// Copies the picture pixels that fall into the client area into buffer by pixel replication:
// destination pixel i of the destination rectangle shows source pixel i × source size /
// destination size. Only the visible part of the picture is read; pixels whose source lies
// outside the picture keep what the buffer holds.
void StretchPicture(const RgbImage& picture, int32_t width, int32_t height, const ViewRect& source,
                    const ViewRect& dest, QImage& buffer) {
    if (dest.Width() <= 0 || dest.Height() <= 0) {
        return;
    }
    const int32_t firstX = std::max(dest.left, 0);
    const int32_t lastX = std::min(dest.right, static_cast<int32_t>(buffer.width()));
    const int32_t firstY = std::max(dest.top, 0);
    const int32_t lastY = std::min(dest.bottom, static_cast<int32_t>(buffer.height()));
    if (firstX >= lastX || firstY >= lastY) {
        return;
    }
    // Byte offset of the source pixel of every destination column, -1 outside the picture.
    std::vector<int32_t> columnOffset(lastX - firstX);
    for (int32_t x = firstX; x < lastX; ++x) {
        const int64_t sx = source.left + int64_t{x - dest.left} * source.Width() / dest.Width();
        columnOffset[x - firstX] = sx >= 0 && sx < width ? static_cast<int32_t>(sx * 3) : -1;
    }
    const bool bottomUp = picture.Height() > 0;
    int64_t previousRow = -1;
    QRgb* previousLine = nullptr;
    for (int32_t y = firstY; y < lastY; ++y) {
        const int64_t sy = source.top + int64_t{y - dest.top} * source.Height() / dest.Height();
        if (sy < 0 || sy >= height) {
            continue;
        }
        QRgb* line = reinterpret_cast<QRgb*>(buffer.scanLine(y)) + firstX;
        if (sy == previousRow) {  // enlarged: the same picture row again
            std::memcpy(line, previousLine, columnOffset.size() * sizeof(QRgb));
            continue;
        }
        const uint8_t* row = picture.Row(bottomUp ? height - 1 - static_cast<int32_t>(sy)
                                                  : static_cast<int32_t>(sy));
        for (size_t i = 0; i < columnOffset.size(); ++i) {
            const int32_t offset = columnOffset[i];
            if (offset >= 0) {
                const uint8_t* bgr = row + offset;
                line[i] = qRgb(bgr[2], bgr[1], bgr[0]);
            }
        }
        previousRow = sy;
        previousLine = line;
    }
}

QRect ToQRect(const ViewRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

// ---- ImageViewTools ----

ImageViewTools& ImageViewTools::Shared() {
    static ImageViewTools* tools = new ImageViewTools;  // lives as long as the application
    return *tools;
}

ImageViewTools::ImageViewTools()
    : hand_(Qt::OpenHandCursor),
      zoomIn_(MagnifierCursor(true)),
      zoomOut_(MagnifierCursor(false)),
      crosshair_(Qt::CrossCursor) {}

const QCursor& ImageViewTools::CursorFor(ViewCursor cursor) const {
    switch (cursor) {
        case ViewCursor::kZoomIn:
            return zoomIn_;
        case ViewCursor::kZoomOut:
            return zoomOut_;
        case ViewCursor::kCrosshair:
            return crosshair_;
        case ViewCursor::kHand:
            break;
    }
    return hand_;
}

void ImageViewTools::SelectTool(ViewTool tool) {
    if (tool != tool_) {
        tool_ = tool;
        emit changed();
    }
}

void ImageViewTools::SetModifiers(Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    if (ctrl != ctrl_ || alt != alt_) {
        ctrl_ = ctrl;
        alt_ = alt;
        emit changed();
    }
}

bool ImageViewTools::HandleCommand(int id) {
    if (id == command::kZoomTool) {
        SelectTool(ViewTool::kZoom);
        return true;
    }
    if (id == command::kHandTool) {
        SelectTool(ViewTool::kHand);
        return true;
    }
    return false;
}

bool ImageViewTools::UpdateCommand(int id, CommandState& state) const {
    if (id != command::kZoomTool && id != command::kHandTool) {
        return false;
    }
    const ViewTool tool = id == command::kZoomTool ? ViewTool::kZoom : ViewTool::kHand;
    state.enabled = true;
    state.checked = tool_ == tool;
    return true;
}

// ---- ImageView ----

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
    connect(&ImageViewTools::Shared(), &ImageViewTools::changed, this, &ImageView::ToolsChanged);
    setCursor(ImageViewTools::Shared().CursorFor(ImageViewTools::Shared().ToolCursorNow()));
}

void ImageView::PictureSize(int32_t& width, int32_t& height) const {
    width = 0;
    height = 0;
    if (picture_ != nullptr && !picture_->IsEmpty() && picture_->BitsPerPixel() == 24) {
        width = picture_->Width();
        height = std::abs(picture_->Height());
    }
}

void ImageView::SetPicture(const RgbImage* picture, bool redraw) {
    picture_ = picture;
    int32_t width;
    int32_t height;
    PictureSize(width, height);
    geometry_.SetPicture(width, height);
    bufferValid_ = false;
    if (redraw) {
        update();
    }
}

bool ImageView::FollowPictureSize() {
    int32_t width;
    int32_t height;
    PictureSize(width, height);
    if (width == geometry_.PictureWidth() && height == geometry_.PictureHeight()) {
        return false;
    }
    geometry_.SetPicture(width, height);
    bufferValid_ = false;
    return true;
}

void ImageView::Relayout() {
    if (!FollowPictureSize()) {
        geometry_.Relayout(geometry_.PictureWidth(), geometry_.PictureHeight());
    }
    bufferValid_ = false;
    update();
}

void ImageView::ReplacePicture(const RgbImage* picture) {
    picture_ = picture;
    FollowPictureSize();
    bufferValid_ = false;
    update();
}

void ImageView::ZoomToFit() {
    geometry_.ZoomToFit();
    ViewMoved(true);
}

void ImageView::ZoomToActualSize() {
    geometry_.ZoomToActualSize();
    ViewMoved(true);
}

void ImageView::SetZoom(double zoom, bool notify) {
    geometry_.SetZoom(zoom);
    ViewMoved(notify);
}

void ImageView::SetCentre(int x, int y, bool notify) {
    geometry_.SetCentre(x, y);
    ViewMoved(notify);
}

void ImageView::SetNavigatorEnabled(bool enabled) {
    geometry_.SetNavigatorEnabled(enabled);
    update();
}

void ImageView::ViewMoved(bool notify) {
    bufferValid_ = false;
    update();
    if (notify) {
        emit viewChanged(geometry_.Zoom());
    }
}

void ImageView::ApplyChange(const ViewChange& change) {
    if (change.view) {
        ViewMoved(true);
    } else if (change.rubberBand) {
        update();
    }
}

void ImageView::RenderPicture() {
    if (buffer_.size() != size()) {
        buffer_ = QImage(size(), QImage::Format_RGB32);
    }
    if (!geometry_.HasPicture()) {
        buffer_.fill(kNoPictureColour);
        return;
    }
    // The bands around a smaller picture, and any edge the picture does not reach, are black.
    buffer_.fill(kBandColour);
    StretchPicture(*picture_, geometry_.PictureWidth(), geometry_.PictureHeight(),
                   geometry_.SourceRect(), geometry_.DestinationRect(), buffer_);
}

void ImageView::PaintOverlays(QPainter& painter) const {
    if (geometry_.NavigatorShown()) {
        painter.setBrush(Qt::NoBrush);
        // A 2-pixel frame just inside the box.
        const QRect box = ToQRect(geometry_.NavigatorBox());
        painter.setPen(QPen(kNavigatorBoxColour, 1));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.drawRect(box.adjusted(1, 1, -2, -2));
        painter.setPen(QPen(kNavigatorViewColour, 1));
        painter.drawRect(ToQRect(geometry_.NavigatorView()).adjusted(0, 0, -1, -1));
    }
    if (const auto band = geometry_.RubberBand()) {
        const QRect rect = ToQRect(*band).adjusted(0, 0, -1, -1);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect);
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(rect);
    }
}

void ImageView::paintEvent(QPaintEvent* /*event*/) {
    // The bound picture may have been replaced since the last layout (a new result); never read
    // it with a stale size.
    FollowPictureSize();
    if (!bufferValid_ || buffer_.size() != size()) {
        RenderPicture();
        bufferValid_ = true;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, buffer_);
    PaintOverlays(painter);
}

void ImageView::resizeEvent(QResizeEvent* /*event*/) {
    geometry_.SetClientSize(width(), height());
    bufferValid_ = false;
    update();
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint p = event->position().toPoint();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    geometry_.Press({p.x(), p.y()}, ImageViewTools::Shared().ActiveTool(),
                    modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier));
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    ImageViewTools::Shared().SetModifiers(event->modifiers());
    if (event->buttons().testFlag(Qt::LeftButton)) {
        ApplyChange(geometry_.Drag({p.x(), p.y()}));
    }
    UpdateCursor(p);
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint p = event->position().toPoint();
    ApplyChange(geometry_.Release({p.x(), p.y()}));
    UpdateCursor(p);
}

void ImageView::wheelEvent(QWheelEvent* event) {
    // One notch of a common wheel is 120 eighths of a degree; finer wheels add up to a step.
    constexpr int kStep = 120;
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / kStep;
    wheelRemainder_ -= steps * kStep;
    event->accept();
    if (steps != 0 && geometry_.HasPicture()) {
        const QPoint p = event->position().toPoint();
        geometry_.WheelZoomAt({p.x(), p.y()}, steps);
        ViewMoved(true);
    }
}

void ImageView::keyPressEvent(QKeyEvent* event) {
    ImageViewTools::Shared().SetModifiers(event->modifiers());
    QWidget::keyPressEvent(event);
}

void ImageView::keyReleaseEvent(QKeyEvent* event) {
    ImageViewTools::Shared().SetModifiers(event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void ImageView::UpdateCursor(const QPoint& position) {
    const ImageViewTools& tools = ImageViewTools::Shared();
    setCursor(
        tools.CursorFor(geometry_.CursorAt({position.x(), position.y()}, tools.ToolCursorNow())));
}

void ImageView::ToolsChanged() {
    UpdateCursor(mapFromGlobal(QCursor::pos()));
}

// ---- ImageViewPage ----

ImageViewPage::ImageViewPage(std::string stepName, WorkflowHost& host, QWidget* parent)
    : WorkflowPage(std::move(stepName), host, parent), view_(new ImageView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
}

bool ImageViewPage::HandleCommand(int commandId) {
    return ImageViewTools::Shared().HandleCommand(commandId);
}

bool ImageViewPage::UpdateCommand(int commandId, CommandState& state) {
    return ImageViewTools::Shared().UpdateCommand(commandId, state);
}

void ImageViewPage::ModifierKeysChanged(Qt::KeyboardModifiers modifiers) {
    ImageViewTools::Shared().SetModifiers(modifiers);
}

}  // namespace lumivex
