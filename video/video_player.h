// The playback object of the "Video" page: opens one video at a time on a playback path, knows
// its native size and the height correction for its preferred display aspect, runs and pauses
// it, and handles the end of the stream. The page's widget draws the pictures it is handed and
// forwards the end-of-stream notification to HandleGraphNotify on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "video/bgr_frame.h"
#include "video/playback_layer.h"

namespace lumivex::video {

enum PlayerState : int32_t {
    kPlayerNoFile = 0,
    kPlayerOpened = 1,
    kPlayerPaused = 2,
    kPlayerRunning = 3,
};

// Where the picture goes inside the player's window.
struct VideoRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class VideoPlayer {
public:
    // Makes the decoding layer for each file opened.
    using LayerFactory = std::function<std::unique_ptr<PlaybackLayer>()>;

    // Plays files on the decoder's playback path (PlaybackSource).
    VideoPlayer();
    // Plays files on the layers the factory makes (a scripted layer in tests).
    explicit VideoPlayer(LayerFactory makeLayer) : makeLayer_(std::move(makeLayer)) {}
    ~VideoPlayer() { Close(); }
    VideoPlayer(const VideoPlayer&) = delete;
    VideoPlayer& operator=(const VideoPlayer&) = delete;

    // Opens path for playback, replacing any open file. False leaves what was acquired in place;
    // the caller closes the player.
    bool Open(const std::string& path);
    // Releases the playback path. The callers also clear the file name and the state
    // (CloseFile does all three).
    void Close();
    void CloseFile();
    bool Run();
    bool Pause();

    // The picture's place in a client area of the given size: native width, height corrected by
    // the vertical factor, centred, never scaled (it overhangs a small window).
    VideoRect LayoutVideo(int32_t clientWidth, int32_t clientHeight) const;
    // End-of-stream handling: for every queued event; a completed stream is paused at position 1.
    void HandleGraphNotify();

    // The receivers of pictures (decoding thread) and of the event notification (decoding
    // thread; forward it to HandleGraphNotify on the user-interface thread). Set before Open.
    void SetPictureSink(PlaybackLayer::PictureSink sink) { pictureSink_ = std::move(sink); }
    void SetGraphNotify(PlaybackLayer::EventNotify notify) { notify_ = std::move(notify); }

    // The seeking, audio and video interfaces of the open file; null when nothing is open.
    PlaybackLayer* Source() { return source_.get(); }
    const PlaybackLayer* Source() const { return source_.get(); }
    bool HasGraph() const { return source_ != nullptr; }

    PlayerState State() const { return state_; }
    const std::string& FileName() const { return fileName_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    double VerticalFactor() const { return verticalFactor_; }

private:
    PlayerState state_ = kPlayerNoFile;
    std::string fileName_;
    LayerFactory makeLayer_;
    std::unique_ptr<PlaybackLayer> source_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    double verticalFactor_ = 1.0;
    PlaybackLayer::PictureSink pictureSink_;
    PlaybackLayer::EventNotify notify_;
};

}  // namespace lumivex::video
