// The player's window of the "Video" page: a black area with the current picture of the video
// drawn at its native width and corrected height, centred and never scaled to the window (a
// small window cuts it off on both sides). Pictures arrive from the decoding thread and are
// shown on the user-interface thread.
#pragma once

#include <QImage>
#include <QWidget>

#include "video/bgr_frame.h"
#include "video/video_player.h"

namespace lumivex {

class VideoView : public QWidget {
    Q_OBJECT

public:
    explicit VideoView(const video::VideoPlayer& player, QWidget* parent = nullptr);

    // Thread-safe: converts the picture and queues it for display.
    void PostPicture(const video::BgrFrame& picture);
    // Shows a picture now (user-interface thread).
    void ShowPicture(QImage picture);
    // Drops the picture (the video was closed).
    void Clear();

    const QImage& Picture() const { return picture_; }
    // Where the picture goes in the current window size.
    video::VideoRect PictureRect() const;
    // Hides and shows the window again so that it is redrawn wherever it now is.
    void Reshow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const video::VideoPlayer& player_;
    QImage picture_;
};

// A decoded picture (bottom-up B, G, R rows) as a top-down image.
QImage ToQImage(const video::BgrFrame& picture);

}  // namespace lumivex
