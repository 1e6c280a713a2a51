#include "app/ui/video_view.h"

#include <QMetaObject>
#include <QPainter>

namespace lumivex {

QImage ToQImage(const video::BgrFrame& picture) {
    const bool complete = picture.width > 0 && picture.height > 0 &&
                          picture.stride >= picture.width * 3 &&
                          picture.bytes.size() >= static_cast<size_t>(picture.stride) *
                                                      static_cast<size_t>(picture.height);
    if (!complete) {
        return {};
    }
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int32_t y = 0; y < picture.height; ++y) {
        const uint8_t* source =
            picture.bytes.data() + static_cast<size_t>(picture.height - 1 - y) * picture.stride;
        uchar* target = image.scanLine(y);
        for (int32_t x = 0; x < picture.width; ++x) {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
    }
    return image;
}

VideoView::VideoView(const video::VideoPlayer& player, QWidget* parent)
    : QWidget(parent), player_(player) {
    setObjectName("VyrVideoPlayerWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    resize(100, 100);
}

void VideoView::PostPicture(const video::BgrFrame& picture) {
    // The call is dropped when the view is gone by the time the event loop reaches it.
    QMetaObject::invokeMethod(
        this, [this, image = ToQImage(picture)]() mutable { ShowPicture(std::move(image)); },
        Qt::QueuedConnection);
}

void VideoView::ShowPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void VideoView::Clear() {
    picture_ = QImage();
    update();
}

video::VideoRect VideoView::PictureRect() const {
    return player_.LayoutVideo(width(), height());
}

void VideoView::Reshow() {
    setVisible(false);
    setVisible(true);
}

void VideoView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (picture_.isNull() || !player_.HasGraph()) {
        return;
    }
    const video::VideoRect place = PictureRect();
    painter.drawImage(QRect(place.left, place.top, place.width, place.height), picture_);
}

}  // namespace lumivex
