#include "video/video_player.h"

#include "video/playback_source.h"

namespace lumivex::video {

VideoPlayer::VideoPlayer()
    : makeLayer_(
          []() -> std::unique_ptr<PlaybackLayer> { return std::make_unique<PlaybackSource>(); }) {}

bool VideoPlayer::Open(const std::string& path) {
    if (state_ != kPlayerNoFile) {
        CloseFile();
    }
    fileName_ = path;
    state_ = kPlayerOpened;
    source_ = makeLayer_();
    source_->SetPictureSink(pictureSink_);
    source_->SetEventNotify(notify_);
    const bool opened = source_->Open(path);
    if (opened) {
        width_ = source_->Width();
        height_ = source_->Height();
    }
    int64_t x = 0;
    int64_t y = 0;
    if (source_->PreferredAspectRatio(x, y) && x > 0 && y > 0 && height_ > 0) {
        verticalFactor_ = static_cast<double>(width_) * static_cast<double>(y) /
                          static_cast<double>(x) / static_cast<double>(height_);
    }
    return opened;
}

void VideoPlayer::Close() {
    if (source_) {
        source_->Stop();
        source_.reset();
    }
}

void VideoPlayer::CloseFile() {
    Close();
    fileName_.clear();
    state_ = kPlayerNoFile;
}

bool VideoPlayer::Run() {
    if (!source_) {
        return true;
    }
    const bool ok = source_->Run();
    state_ = kPlayerRunning;
    return ok;
}

bool VideoPlayer::Pause() {
    if (!source_) {
        return false;
    }
    if (state_ == kPlayerRunning && source_->Pause()) {
        state_ = kPlayerPaused;
    }
    return true;
}

VideoRect VideoPlayer::LayoutVideo(int32_t clientWidth, int32_t clientHeight) const {
    const auto height = static_cast<int32_t>(height_ * verticalFactor_);
    return {(clientWidth - width_) / 2, (clientHeight - height) / 2, width_, height};
}

void VideoPlayer::HandleGraphNotify() {
    if (!source_) {
        return;
    }
    bool failed = false;
    int32_t code = 0;
    while (source_->GetEvent(code)) {
        if (code == kEventComplete && !failed) {
            // A playback that reaches the end stops, paused, at position 1. The state stays
            // "running".
            failed = !source_->Pause() || !source_->SetPositions(1);
        }
    }
}

}  // namespace lumivex::video
