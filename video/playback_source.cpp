#include "video/playback_source.h"

#include <algorithm>

#include "video/video_decoder.h"

namespace lumivex::video {

namespace {
// A frame due further ahead than this (a jump in a broken stream's time stamps) restarts the
// clock instead of stalling the playback.
constexpr auto kLongestFrameWait = std::chrono::seconds(2);

// value x numerator / denominator without overflow; 0 for no denominator.
int64_t Proportion(int64_t value, int64_t numerator, int64_t denominator) {
    if (denominator <= 0) {
        return 0;
    }
    const long double result = static_cast<long double>(value) * numerator / denominator;
    return static_cast<int64_t>(std::clamp<long double>(result, -9.0e18L, 9.0e18L));
}
}  // namespace

PlaybackSource::PlaybackSource() : decoder_(std::make_unique<VideoDecoder>()) {}

PlaybackSource::~PlaybackSource() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    finished_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool PlaybackSource::Open(const std::string& path) {
    if (thread_.joinable() || !decoder_->OpenFile(path, nullptr)) {
        return false;
    }
    width_ = decoder_->Width();
    height_ = decoder_->Height();
    hasAspect_ = decoder_->PreferredAspectRatio(aspectX_, aspectY_);
    frameFormatAvailable_ = decoder_->HasFrameTimeFormat();
    seekable_ = decoder_->IsSeekable();
    durationFrames_ = decoder_->Duration(TimeFormat::kFrames);
    durationMedia_ = decoder_->Duration(TimeFormat::kMediaTime);
    facts_ = {decoder_->FrameCount(), durationMedia_, decoder_->Scan()};
    thread_ = std::thread(&PlaybackSource::DecodingLoop, this);
    return true;
}

bool PlaybackSource::PreferredAspectRatio(int64_t& x, int64_t& y) const {
    if (!hasAspect_) {
        return false;
    }
    x = aspectX_;
    y = aspectY_;
    return true;
}

void PlaybackSource::SetPictureSink(PictureSink sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    pictureSink_ = std::move(sink);
    wake_.notify_all();  // a move made while nobody looked is shown now
}

void PlaybackSource::SetEventNotify(EventNotify notify) {
    std::lock_guard<std::mutex> lock(mutex_);
    eventNotify_ = std::move(notify);
}

bool PlaybackSource::Run() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) {
        return false;
    }
    running_ = true;
    clockSet_ = false;
    wake_.notify_all();
    return true;
}

bool PlaybackSource::Pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) {
        return false;
    }
    running_ = false;
    wake_.notify_all();
    return true;
}

bool PlaybackSource::Stop() {
    return Pause();
}

bool PlaybackSource::SetVolume(int32_t volume) {
    if (volume < -10000 || volume > 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    volume_ = volume;
    return true;
}

int32_t PlaybackSource::Volume() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return volume_;
}

bool PlaybackSource::CheckCapabilities(uint32_t capabilities) const {
    uint32_t offered = kCanGetCurrentPos;
    if (seekable_) {
        offered |= kCanSeekAbsolute | kCanSeekForwards | kCanSeekBackwards;
    }
    if (durationMedia_ > 0) {
        offered |= kCanGetDuration;
    }
    return thread_.joinable() && (capabilities & ~offered) == 0;
}

bool PlaybackSource::GetTimeFormat(TimeFormat& format) const {
    std::lock_guard<std::mutex> lock(mutex_);
    format = format_;
    return thread_.joinable();
}

bool PlaybackSource::SetTimeFormat(TimeFormat format) {
    if (!thread_.joinable() || format == TimeFormat::kNone ||
        (format == TimeFormat::kFrames && !frameFormatAvailable_)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    format_ = format;
    return true;
}

bool PlaybackSource::GetDuration(int64_t& duration) const {
    std::lock_guard<std::mutex> lock(mutex_);
    duration = format_ == TimeFormat::kFrames ? durationFrames_ : durationMedia_;
    return thread_.joinable();
}

bool PlaybackSource::GetCurrentPosition(int64_t& position) const {
    std::lock_guard<std::mutex> lock(mutex_);
    position = format_ == TimeFormat::kFrames ? positionFrames_ : positionMedia_;
    return thread_.joinable();
}

bool PlaybackSource::SetPositions(int64_t current) {
    if (!thread_.joinable() || !seekable_) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    seekPending_ = true;
    seekTarget_ = current;
    seekFormat_ = format_;
    ended_ = false;
    clockSet_ = false;
    if (format_ == TimeFormat::kFrames) {
        positionFrames_ = current;
        positionMedia_ = Proportion(current, durationMedia_, durationFrames_);
    } else {
        positionMedia_ = current;
        positionFrames_ = Proportion(current, durationFrames_, durationMedia_);
    }
    wake_.notify_all();
    return true;
}

bool PlaybackSource::WaitForCompletion(std::chrono::milliseconds timeout, int32_t& eventCode) {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait_for(lock, timeout, [this] { return ended_ || quit_; });
    eventCode = ended_ ? kEventComplete : 0;
    return ended_;
}

bool PlaybackSource::GetEvent(int32_t& eventCode) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty()) {
        return false;
    }
    eventCode = events_.front();
    events_.pop_front();
    return true;
}

void PlaybackSource::DecodingLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
        // A move is decoded only once its picture is wanted: shown, or played from.
        if (seekPending_ && (pictureSink_ || running_)) {
            seekPending_ = false;
            const int64_t target = seekTarget_;
            const TimeFormat format = seekFormat_;
            lock.unlock();
            ShowFrameAt(target, format);
            lock.lock();
        } else if (running_ && !ended_) {
            PlayNextFrame(lock);
        } else {
            wake_.wait(lock);
        }
    }
}

void PlaybackSource::ShowFrameAt(int64_t position, TimeFormat format) {
    BgrFrame frame;
    if (!decoder_->SeekTo(position, format) || decoder_->ReadFrame(frame) != DecodeStatus::kFrame) {
        return;
    }
    PictureSink sink;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sink = pictureSink_;
    }
    if (sink) {
        sink(frame);
    }
}

void PlaybackSource::PlayNextFrame(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    BgrFrame frame;
    const DecodeStatus status = decoder_->ReadFrame(frame);
    lock.lock();
    if (quit_ || seekPending_) {
        return;  // the frame belongs to a position no longer wanted
    }
    if (status != DecodeStatus::kFrame) {
        ended_ = true;
        events_.push_back(kEventComplete);
        finished_.notify_all();
        EventNotify notify = eventNotify_;
        lock.unlock();
        if (notify) {
            notify();
        }
        lock.lock();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    // Differences of broken time stamps are kept small enough for the clock arithmetic.
    const int64_t ahead = frame.mediaTime / 2 - clockMediaStart_ / 2;
    const int64_t limited =
        std::clamp<int64_t>(ahead, -kMediaTimeUnitsPerSecond * 100, kMediaTimeUnitsPerSecond * 100);
    auto due = clockStart_ + std::chrono::microseconds(limited / 5);
    if (!clockSet_ || due > now + kLongestFrameWait) {
        clockSet_ = true;
        clockStart_ = now;
        clockMediaStart_ = frame.mediaTime;
        due = now;
    }
    wake_.wait_until(lock, due, [this] { return quit_ || seekPending_ || !running_; });
    if (quit_ || seekPending_) {
        return;
    }
    positionFrames_ = frame.frameIndex;
    positionMedia_ = frame.mediaTime;
    PictureSink sink = pictureSink_;
    lock.unlock();
    if (sink) {
        sink(frame);
    }
    lock.lock();
}

}  // namespace lumivex::video
