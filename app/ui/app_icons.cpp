#include "app/ui/app_icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include "app/core/command_ids.h"

// Resources of a static library must be registered by name, outside any namespace.
static void RegisterResources() {
    Q_INIT_RESOURCE(lumivex);
}

namespace lumivex {

namespace {

constexpr int kIconSide = 24;

// Paints a 24 × 24 picture with draw and returns it as an icon.
template <typename Draw>
QIcon PaintedIcon(Draw draw) {
    QPixmap pixmap(kIconSide, kIconSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

QIcon EnhanceIcon() {
    return PaintedIcon([](QPainter& p) {
        const QPointF star[] = {{12, 1},  {14.5, 9.5}, {23, 12}, {14.5, 14.5},
                                {12, 23}, {9.5, 14.5}, {1, 12},  {9.5, 9.5}};
        p.setPen(QPen(QColor(168, 106, 0), 1.2));
        p.setBrush(QColor(255, 179, 0));
        p.drawPolygon(star, 8);
    });
}

QIcon ResultIcon() {
    return PaintedIcon([](QPainter& p) {
        p.setPen(QPen(QColor(19, 40, 106), 1.5));
        p.setBrush(QColor(58, 107, 214));
        p.drawRoundedRect(QRectF(2, 4, 20, 16), 2, 2);
        const QPointF hill[] = {{3.5, 19}, {10, 11}, {14, 15}, {17, 12}, {20.5, 19}};
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(47, 158, 91));
        p.drawPolygon(hill, 5);
        p.setBrush(QColor(255, 211, 77));
        p.drawEllipse(QPointF(17, 8.5), 2, 2);
    });
}

QIcon ZoomIcon() {
    return PaintedIcon([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21.5, 21.5));
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.setBrush(QColor(220, 232, 255));
        p.drawEllipse(QPointF(10, 10), 7, 7);
        p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
        p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
    });
}

QIcon HandIcon() {
    return PaintedIcon([](QPainter& p) {
        QPainterPath hand;
        hand.addRoundedRect(QRectF(6, 11, 13, 11), 4, 4);
        for (int finger = 0; finger < 4; ++finger) {
            hand.addRoundedRect(QRectF(6 + finger * 3.3, 3 + (finger % 3 == 0 ? 2 : 0), 3, 11), 1.5,
                                1.5);
        }
        hand.addRoundedRect(QRectF(1.5, 11, 7, 3), 1.5, 1.5);
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(QColor(250, 224, 196));
        p.drawPath(hand.simplified());
    });
}

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

}  // namespace

QPixmap WebLinkPicture(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 24.0, side / 24.0);
    const QRectF globe(2, 2, 20, 20);
    p.setPen(QPen(QColor(19, 40, 106), 1.4));
    p.setBrush(QColor(90, 150, 230));
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(7.5, 2, 9, 20));
    p.drawLine(QPointF(12, 2), QPointF(12, 22));
    p.drawLine(QPointF(2, 12), QPointF(22, 12));
    p.drawArc(QRectF(3.5, -4, 17, 12), 200 * 16, 140 * 16);
    p.drawArc(QRectF(3.5, 16, 17, 12), 20 * 16, 140 * 16);
    return pixmap;
}

QIcon ApplicationIcon() {
    RegisterResources();
    return QIcon(":/lumivex/lumivex.png");
}

QIcon CommandIcon(int commandId) {
    switch (commandId) {
        case command::kOpenMedia:
            return StandardIcon(QStyle::SP_DialogOpenButton);
        case command::kSaveEnhancedImage:
            return StandardIcon(QStyle::SP_DialogSaveButton);
        case command::kEnhance:
            return EnhanceIcon();
        case command::kViewEnhancedImage:
            return ResultIcon();
        case command::kPlay:
            return StandardIcon(QStyle::SP_MediaPlay);
        case command::kPause:
            return StandardIcon(QStyle::SP_MediaPause);
        case command::kStepBackward:
            return StandardIcon(QStyle::SP_MediaSeekBackward);
        case command::kStepForward:
            return StandardIcon(QStyle::SP_MediaSeekForward);
        case command::kPreviousImage:
            return StandardIcon(QStyle::SP_ArrowBack);
        case command::kNextImage:
            return StandardIcon(QStyle::SP_ArrowForward);
        case command::kZoomTool:
            return ZoomIcon();
        case command::kHandTool:
            return HandIcon();
        default:
            return {};
    }
}

}  // namespace lumivex
