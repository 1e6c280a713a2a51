// The zoomable, pannable picture view of the result page and the reference page. It draws an
// RgbImage straight from its rows by pixel replication, keeps the centre inside the picture,
// outlines a navigator in the top-left corner when the picture is larger than the window, and
// offers the hand and zoom tools with Ctrl and Alt as modifiers. All geometry lives in
// ViewGeometry; this widget paints it and forwards the mouse.
#pragma once

#include <QCursor>
#include <QImage>
#include <QObject>
#include <QWidget>

#include "app/core/view_geometry.h"
#include "app/core/workflow.h"
#include "app/ui/workflow_page.h"

namespace lumivex {

class RgbImage;

// The hand and zoom tools and the tool cursor, one set for the whole application.
class ImageViewTools : public QObject {
    Q_OBJECT

public:
    static ImageViewTools& Shared();

    ViewTool ActiveTool() const { return tool_; }
    // The cursor of the active tool as Ctrl and Alt change it.
    ViewCursor ToolCursorNow() const { return ToolCursor(tool_, ctrl_, alt_); }
    const QCursor& CursorFor(ViewCursor cursor) const;

    // Zoom tool (9215) and Hand tool (9203).
    void SelectTool(ViewTool tool);
    // Ctrl or Alt went down or up.
    void SetModifiers(Qt::KeyboardModifiers modifiers);

    // Commands 9215 and 9203, answered alike by every page that shows a view: true when id is
    // one of them.
    bool HandleCommand(int id);
    bool UpdateCommand(int id, CommandState& state) const;

signals:
    // The tool or the tool cursor changed: views update their cursor, toolbars their checks.
    void changed();

private:
    ImageViewTools();

    ViewTool tool_ = ViewTool::kHand;
    bool ctrl_ = false;
    bool alt_ = false;
    QCursor hand_;
    QCursor zoomIn_;
    QCursor zoomOut_;
    QCursor crosshair_;
};

class ImageView : public QWidget {
    Q_OBJECT

public:
    explicit ImageView(QWidget* parent = nullptr);

    // Binds a picture (not owned; null or empty shows dark grey). Keeps the zoom, centres the
    // picture. The picture must outlive the binding and change only while the view is hidden or
    // through Relayout.
    void SetPicture(const RgbImage* picture, bool redraw = true);
    // The bound picture's pixels (and perhaps its size) were replaced: re-reads its size,
    // keeping the centre when the size is unchanged and centring a picture of a new size.
    void Relayout();
    // Binds another picture of the same size in place of the current one, keeping zoom and
    // centre (a picture of another size is bound as SetPicture binds it).
    void ReplacePicture(const RgbImage* picture);
    void SetZoom(double zoom, bool notify = true);
    // Ctrl+0 and Ctrl+1: the whole picture in the window, and 100 %.
    void ZoomToFit();
    void ZoomToActualSize();
    void SetCentre(int x, int y, bool notify = true);
    void SetNavigatorEnabled(bool enabled);

    double Zoom() const { return geometry_.Zoom(); }
    const ViewGeometry& Geometry() const { return geometry_; }
    const RgbImage* Picture() const { return picture_; }

signals:
    // After a zoom or centre change made with notification; zoom is the new zoom.
    void viewChanged(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The wheel zooms in and out at the pointer by the zoom tool's steps.
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void PictureSize(int32_t& width, int32_t& height) const;
    // A bound picture whose size changed under the view is bound afresh (centred); true then.
    bool FollowPictureSize();
    void RenderPicture();
    void PaintOverlays(QPainter& painter) const;
    void ViewMoved(bool notify);
    void ApplyChange(const ViewChange& change);
    void UpdateCursor(const QPoint& position);
    void ToolsChanged();

    const RgbImage* picture_ = nullptr;
    ViewGeometry geometry_;
    QImage buffer_;  // the picture part of the window, rebuilt when the view moves
    bool bufferValid_ = false;
    int wheelRemainder_ = 0;  // eighths of a degree not yet turned into a zoom step
};

// A workflow page filled by one image view: it answers the Zoom tool and Hand tool commands and
// passes Ctrl and Alt on to the tool cursor.
class ImageViewPage : public WorkflowPage {
    Q_OBJECT

public:
    ImageViewPage(std::string stepName, WorkflowHost& host, QWidget* parent = nullptr);

    bool HandleCommand(int commandId) override;
    bool UpdateCommand(int commandId, CommandState& state) override;
    void ModifierKeysChanged(Qt::KeyboardModifiers modifiers) override;

    ImageView& View() const { return *view_; }

private:
    ImageView* view_;
};

}  // namespace lumivex
