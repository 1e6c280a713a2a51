#include "video/grabbing_path.h"

#include <algorithm>

#include "video/video_decoder.h"

namespace lumivex::video {

GrabbingPath::GrabbingPath() : decoder_(std::make_unique<VideoDecoder>()) {}

GrabbingPath::~GrabbingPath() = default;

bool GrabbingPath::Connect(const std::string& path) {
    return decoder_->OpenFile(path, nullptr);
}

bool GrabbingPath::ConnectMemory(std::vector<uint8_t> bytes) {
    return decoder_->OpenMemory(std::move(bytes), nullptr);
}

bool GrabbingPath::ConnectedSize(int32_t& width, int32_t& height) const {
    if (!decoder_->IsOpen()) {
        return false;
    }
    width = decoder_->Width();
    height = decoder_->Height();
    return true;
}

bool GrabbingPath::SetTimeFormat(TimeFormat format) {
    if (!decoder_->IsOpen() || format == TimeFormat::kNone ||
        (format == TimeFormat::kFrames && !decoder_->HasFrameTimeFormat())) {
        return false;
    }
    format_ = format;
    return true;
}

bool GrabbingPath::GetDuration(int64_t& duration) const {
    if (!decoder_->IsOpen()) {
        return false;
    }
    duration = decoder_->Duration(format_);
    return true;
}

bool GrabbingPath::SetPositions(int64_t current, int64_t stop) {
    if (!decoder_->IsOpen() || !decoder_->IsSeekable()) {
        return false;
    }
    stop_ = stop;
    complete_ = false;
    return decoder_->SeekTo(current, format_);
}

bool GrabbingPath::GetCurrentPosition(int64_t& position) const {
    if (!decoder_->IsOpen()) {
        return false;
    }
    position = std::max<int64_t>(decoder_->Position(format_), 0);
    return true;
}

bool GrabbingPath::Run() {
    if (!decoder_->IsOpen()) {
        return false;
    }
    if (complete_) {
        return true;
    }
    if (decoder_->ReadFrame(frame_) != DecodeStatus::kFrame ||
        (stop_ >= 0 && decoder_->Position(format_) > stop_)) {
        complete_ = true;
        return true;
    }
    if (callback_) {
        callback_(frame_.mediaTime, frame_.bytes.data(), static_cast<int32_t>(frame_.bytes.size()));
    }
    return true;
}

bool GrabbingPath::Pause() {
    return decoder_->IsOpen();
}

bool GrabbingPath::WaitForCompletion(std::chrono::milliseconds /*timeout*/, int32_t& eventCode) {
    if (!decoder_->IsOpen()) {
        return false;
    }
    eventCode = complete_ ? kEventComplete : 0;
    return true;
}

void GrabbingPath::SetCallTimeLimit(std::chrono::milliseconds limit) {
    decoder_->SetCallTimeLimit(limit);
}

}  // namespace lumivex::video
