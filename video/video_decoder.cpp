#include "video/video_decoder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>

#include "engine/parallel.h"
#include "video/frame_rotation.h"
#include "video/memory_input.h"

namespace lumivex::video {

namespace {

// Caps of one call. A healthy stream needs a handful of packets per frame and at most a
// key-frame interval of frames per seek; these only stop broken streams from running forever.
constexpr int kMaxPacketsPerFrame = 20'000;
constexpr int kMaxFramesPerSeek = 20'000;
constexpr int kSeekAttempts = 5;
constexpr int64_t kMaxCountedPackets = 50'000'000;
constexpr int32_t kMaxSide = 16'384;
constexpr int64_t kMaxPixels = int64_t{8192} * 8192;
// The decoder library warns against more decoding threads than this.
constexpr int kMaxDecoderThreads = 16;

std::string ErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

bool UsableRate(AVRational rate) {
    return rate.num > 0 && rate.den > 0 && av_q2d(rate) >= 0.1 && av_q2d(rate) <= 1000.0;
}

// The stream's constant frame rate, or 0/1 when it has none that positions can count on: the
// base rate (the finest one that fits every time stamp) must agree with the average rate.
AVRational ConstantFrameRate(const AVStream* stream) {
    const AVRational base = stream->r_frame_rate;
    const AVRational average = stream->avg_frame_rate;
    if (!UsableRate(base) || !UsableRate(average) ||
        std::fabs(av_q2d(average) / av_q2d(base) - 1.0) > 0.01) {
        return {0, 1};
    }
    return base;
}

// The first and last presentation times of a stream's packets, and whether every one had one.
class StampSpan {
public:
    void Add(int64_t pts) {
        if (pts == AV_NOPTS_VALUE) {
            allStamped_ = false;
            return;
        }
        first_ = std::min(first_, pts);
        last_ = std::max(last_, pts);
    }
    // False only when every packet was stamped and the stamps do not span expected to within
    // tolerance.
    bool Spans(int64_t expected, int64_t tolerance) const {
        if (!allStamped_ || first_ > last_) {
            return true;
        }
        return std::abs((last_ - first_) - expected) <= tolerance;
    }

private:
    int64_t first_ = std::numeric_limits<int64_t>::max();
    int64_t last_ = std::numeric_limits<int64_t>::min();
    bool allStamped_ = true;
};

// The full-range ("J") YUV formats are deprecated in the scaler: name the plain format and state
// the range instead.
AVPixelFormat PlainFormat(AVPixelFormat format, bool& fullRange) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            fullRange = true;
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            fullRange = true;
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            fullRange = true;
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            fullRange = true;
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            fullRange = true;
            return AV_PIX_FMT_YUV411P;
        default:
            return format;
    }
}

// Time stamps come from the file: arithmetic on them saturates instead of overflowing.
int64_t Saturate(int64_t a, int64_t b, bool add) {
    int64_t result = 0;
    const bool overflow =
        add ? __builtin_add_overflow(a, b, &result) : __builtin_sub_overflow(a, b, &result);
    if (!overflow) {
        return result;
    }
    return (add ? b > 0 : b < 0) ? INT64_MAX : INT64_MIN;
}
int64_t Plus(int64_t a, int64_t b) {
    return Saturate(a, b, true);
}
int64_t Minus(int64_t a, int64_t b) {
    return Saturate(a, b, false);
}

// av_rescale reports an overflow as INT64_MIN; positions that large lie past any end.
int64_t Rescaled(int64_t value, AVRational from, AVRational to) {
    const int64_t result = av_rescale_q_rnd(
        value, from, to, static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    if (result == INT64_MIN && value > 0) {
        return INT64_MAX;
    }
    return result;
}

bool IsKeyFrame(const AVFrame* frame) {
    return frame->key_frame != 0 || frame->pict_type == AV_PICTURE_TYPE_I;
}

}  // namespace

VideoDecoder::VideoDecoder() {
    // The libraries never print; what the user must know comes back as results.
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
}

VideoDecoder::~VideoDecoder() {
    Close();
}

void VideoDecoder::Close() {
    scaler_.reset();
    pending_.reset();
    candidate_.reset();
    lookahead_.reset();
    hasLookahead_ = false;
    packet_.reset();
    codec_.reset();
    format_.reset();
    memory_.reset();
    hasPending_ = false;
    draining_ = false;
    streamIndex_ = -1;
    frameRate_ = {0, 1};
    width_ = height_ = codedWidth_ = codedHeight_ = 0;
    turns_ = 0;
    seekable_ = false;
    lastFrameIndex_ = -1;
    lastMediaTime_ = 0;
    countedFrames_ = 0;
    keyFrames_.Clear();
    palette_.clear();
    reorderShift_ = 0;
}

void VideoDecoder::ArmDeadline() {
    deadline_ = std::chrono::steady_clock::now() + callLimit_;
}

bool VideoDecoder::Expired() const {
    return std::chrono::steady_clock::now() > deadline_;
}

int VideoDecoder::InterruptCallback(void* opaque) {
    return static_cast<const VideoDecoder*>(opaque)->Expired() ? 1 : 0;
}

bool VideoDecoder::OpenFile(const std::string& path, std::string* error) {
    Close();
    // Opening a FIFO blocks until a writer comes, beyond the reach of the deadline, and a
    // stream cannot be sought back to its frames anyway.
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISBLK(status.st_mode) &&
        !S_ISDIR(status.st_mode)) {
        SetError(error, "not a regular file");
        return false;
    }
    ArmDeadline();
    AVFormatContext* context = avformat_alloc_context();
    if (context == nullptr) {
        SetError(error, "out of memory");
        return false;
    }
    return OpenInput(context, path.c_str(), error);
}

bool VideoDecoder::OpenMemory(std::vector<uint8_t> bytes, std::string* error) {
    Close();
    ArmDeadline();
    memory_ = std::make_unique<MemoryInput>(std::move(bytes));
    AVFormatContext* context = avformat_alloc_context();
    if (context == nullptr || memory_->Context() == nullptr) {
        avformat_free_context(context);
        memory_.reset();
        SetError(error, "out of memory");
        return false;
    }
    context->pb = memory_->Context();
    context->flags |= AVFMT_FLAG_CUSTOM_IO;
    return OpenInput(context, "", error);
}

bool VideoDecoder::OpenInput(AVFormatContext* context, const char* url, std::string* error) {
    context->interrupt_callback.callback = &VideoDecoder::InterruptCallback;
    context->interrupt_callback.opaque = this;
    // On failure avformat_open_input frees the context itself.
    int result = avformat_open_input(&context, url, nullptr, nullptr);
    if (result < 0) {
        SetError(error, ErrorText(result));
        Close();
        return false;
    }
    format_.reset(context);
    result = avformat_find_stream_info(context, nullptr);
    if (result < 0) {
        SetError(error, ErrorText(result));
        Close();
        return false;
    }
    if (!OpenStream(error)) {
        Close();
        return false;
    }
    return true;
}

bool VideoDecoder::OpenStream(std::string* error) {
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0 || (format_->streams[index]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        SetError(error, "no video stream");
        return false;
    }
    if (decoder == nullptr) {
        SetError(error, "no decoder for the video stream");
        return false;
    }
    const AVStream* stream = format_->streams[index];
    const AVCodecParameters* parameters = stream->codecpar;
    if (parameters->width <= 0 || parameters->height <= 0 || parameters->width > kMaxSide ||
        parameters->height > kMaxSide ||
        int64_t{parameters->width} * parameters->height > kMaxPixels) {
        SetError(error, "unusable picture size");
        return false;
    }
    codec_.reset(avcodec_alloc_context3(decoder));
    packet_.reset(av_packet_alloc());
    pending_.reset(av_frame_alloc());
    candidate_.reset(av_frame_alloc());
    lookahead_.reset(av_frame_alloc());
    if (!codec_ || !packet_ || !pending_ || !candidate_ || !lookahead_) {
        SetError(error, "out of memory");
        return false;
    }
    int result = avcodec_parameters_to_context(codec_.get(), parameters);
    if (result >= 0) {
        // Slices of one picture are decoded side by side on the engine's threads; frames still
        // come out in order and as soon as they are complete (no frame threads, no delay).
        codec_->thread_type = FF_THREAD_SLICE;
        codec_->thread_count = std::min(EngineThreadCount(), kMaxDecoderThreads);
        codec_->pkt_timebase = stream->time_base;
        result = avcodec_open2(codec_.get(), decoder, nullptr);
    }
    if (result < 0) {
        SetError(error, ErrorText(result));
        return false;
    }
    streamIndex_ = index;
    timeBase_ = stream->time_base;
    frameRate_ = ConstantFrameRate(stream);
    startTimestamp_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    codedWidth_ = parameters->width;
    codedHeight_ = parameters->height;
    turns_ = ClockwiseQuarterTurns(stream);
    width_ = turns_ % 2 == 0 ? codedWidth_ : codedHeight_;
    height_ = turns_ % 2 == 0 ? codedHeight_ : codedWidth_;
    seekable_ = format_->pb != nullptr && (format_->pb->seekable & AVIO_SEEKABLE_NORMAL) != 0;
    CountFrames();
    KeepPalette();
    AlignReorderedTimestamps();
    return true;
}

bool VideoDecoder::PreferredAspectRatio(int64_t& x, int64_t& y) const {
    if (!IsOpen()) {
        return false;
    }
    const AVRational sample =
        av_guess_sample_aspect_ratio(format_.get(), format_->streams[streamIndex_], nullptr);
    if (sample.num <= 0 || sample.den <= 0) {
        return false;
    }
    // A quarter turn puts the sample's width upright.
    const bool turned = turns_ % 2 != 0;
    x = int64_t{width_} * (turned ? sample.den : sample.num);
    y = int64_t{height_} * (turned ? sample.num : sample.den);
    const int64_t divisor = std::gcd(x, y);
    x /= divisor;
    y /= divisor;
    return true;
}

int64_t VideoDecoder::Duration(TimeFormat format) const {
    if (!IsOpen()) {
        return 0;
    }
    const AVStream* stream = format_->streams[streamIndex_];
    if (format == TimeFormat::kFrames) {
        if (!HasFrameTimeFormat()) {
            return 0;
        }
        if (stream->nb_frames > 0) {
            return stream->nb_frames;
        }
        if (countedFrames_ > 0) {
            return countedFrames_;
        }
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
            return av_rescale_q_rnd(stream->duration, timeBase_, av_inv_q(frameRate_),
                                    AV_ROUND_NEAR_INF);
        }
        if (format_->duration > 0) {
            return av_rescale_q_rnd(format_->duration, AV_TIME_BASE_Q, av_inv_q(frameRate_),
                                    AV_ROUND_NEAR_INF);
        }
        return 0;
    }
    if (format == TimeFormat::kMediaTime) {
        const AVRational units{1, static_cast<int>(kMediaTimeUnitsPerSecond)};
        if (countedFrames_ > 0 && HasFrameTimeFormat()) {
            return av_rescale_q(countedFrames_, av_inv_q(frameRate_), units);
        }
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
            return av_rescale_q(stream->duration, timeBase_, units);
        }
        if (format_->duration > 0) {
            return av_rescale_q(format_->duration, AV_TIME_BASE_Q, units);
        }
    }
    return 0;
}

int64_t VideoDecoder::FrameCount() const {
    if (!IsOpen()) {
        return 0;
    }
    const int64_t listed = format_->streams[streamIndex_]->nb_frames;
    if (listed > 0) {
        return listed;
    }
    return countedFrames_ > 0 ? countedFrames_ : Duration(TimeFormat::kFrames);
}

Interlacing VideoDecoder::Scan() const {
    if (!IsOpen()) {
        return Interlacing::kUnknown;
    }
    // Named by the field coded first, then the one displayed first; display order counts.
    switch (format_->streams[streamIndex_]->codecpar->field_order) {
        case AV_FIELD_PROGRESSIVE:
            return Interlacing::kProgressive;
        case AV_FIELD_TT:
        case AV_FIELD_BT:
            return Interlacing::kTopFieldFirst;
        case AV_FIELD_BB:
        case AV_FIELD_TB:
            return Interlacing::kBottomFieldFirst;
        default:
            return Interlacing::kUnknown;
    }
}

int64_t VideoDecoder::FrameIndexOf(int64_t timestamp) const {
    if (!HasFrameTimeFormat()) {
        return lastFrameIndex_ + 1;
    }
    return Rescaled(Minus(timestamp, startTimestamp_), timeBase_, av_inv_q(frameRate_));
}

int64_t VideoDecoder::MediaTimeOf(int64_t timestamp) const {
    return Rescaled(Minus(timestamp, startTimestamp_), timeBase_,
                    AVRational{1, static_cast<int>(kMediaTimeUnitsPerSecond)});
}

int64_t VideoDecoder::TimestampOf(int64_t position, TimeFormat format) const {
    if (format == TimeFormat::kFrames && HasFrameTimeFormat()) {
        return Plus(startTimestamp_, Rescaled(position, av_inv_q(frameRate_), timeBase_));
    }
    const AVRational units{1, static_cast<int>(kMediaTimeUnitsPerSecond)};
    return Plus(startTimestamp_, Rescaled(position, units, timeBase_));
}

void VideoDecoder::Stamp(const AVFrame* frame) {
    const int64_t timestamp = frame->best_effort_timestamp;
    if (timestamp == AV_NOPTS_VALUE) {
        // Without a time stamp the frame follows the previous one.
        lastFrameIndex_ = Plus(lastFrameIndex_, 1);
        if (HasFrameTimeFormat()) {
            lastMediaTime_ = Plus(lastMediaTime_, av_rescale(kMediaTimeUnitsPerSecond,
                                                             frameRate_.den, frameRate_.num));
        }
        return;
    }
    lastFrameIndex_ = FrameIndexOf(timestamp);
    lastMediaTime_ = MediaTimeOf(timestamp);
}

int64_t VideoDecoder::Position(TimeFormat format) const {
    return format == TimeFormat::kFrames ? lastFrameIndex_ : lastMediaTime_;
}

DecodeStatus VideoDecoder::DecodeNext(AVFrame* frame) {
    for (int packets = 0; packets < kMaxPacketsPerFrame;) {
        int result = avcodec_receive_frame(codec_.get(), frame);
        if (result == 0) {
            return DecodeStatus::kFrame;
        }
        if (result == AVERROR_EOF || (result == AVERROR(EAGAIN) && draining_)) {
            return DecodeStatus::kEnd;
        }
        if (result != AVERROR(EAGAIN) || Expired()) {
            return DecodeStatus::kError;
        }
        result = av_read_frame(format_.get(), packet_.get());
        if (result < 0) {
            // End of the file, a read error or a truncated file: drain what the decoder holds.
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            continue;
        }
        ++packets;
        if (packet_->stream_index == streamIndex_) {
            // A corrupt packet is refused here; the decoder picks up again at the next one.
            CarryPalette(packet_.get());
            avcodec_send_packet(codec_.get(), packet_.get());
        }
        av_packet_unref(packet_.get());
    }
    return DecodeStatus::kError;
}

void VideoDecoder::FlushDecoder() {
    avcodec_flush_buffers(codec_.get());
    av_frame_unref(pending_.get());
    av_frame_unref(candidate_.get());
    av_frame_unref(lookahead_.get());
    hasPending_ = false;
    hasLookahead_ = false;
    draining_ = false;
}

bool VideoDecoder::SeeksByBytes() const {
    // Streams whose time stamps are sparse (MPEG program streams) cannot be found reliably by
    // time; a byte position is the surer place wherever the format can seek by bytes.
    return (format_->iformat->flags & AVFMT_NO_BYTE_SEEK) == 0 &&
           (format_->iformat->flags & AVFMT_TS_DISCONT) != 0;
}

bool VideoDecoder::RewindToStart() {
    if (SeeksByBytes() && av_seek_frame(format_.get(), -1, 0, AVSEEK_FLAG_BYTE) >= 0) {
        return true;
    }
    return av_seek_frame(format_.get(), streamIndex_, startTimestamp_, AVSEEK_FLAG_BACKWARD) >= 0 ||
           avformat_seek_file(format_.get(), streamIndex_, INT64_MIN, startTimestamp_,
                              startTimestamp_, 0) >= 0;
}

void VideoDecoder::CountFrames() {
    // Formats without a frame count in their headers only estimate their duration from a few
    // time stamps; counting the stream's packets (one per frame after parsing) is exact.
    if (format_->streams[streamIndex_]->nb_frames > 0 || !seekable_) {
        return;
    }
    const bool indexed = SeeksByBytes();
    int64_t count = 0;
    StampSpan span;
    for (int64_t packets = 0; packets < kMaxCountedPackets && !Expired(); ++packets) {
        if (av_read_frame(format_.get(), packet_.get()) < 0) {
            countedFrames_ = count;
            break;
        }
        const AVPacket& packet = *packet_;
        if (packet.stream_index == streamIndex_) {
            ++count;
            span.Add(packet.pts);
            if (indexed && (packet.flags & AV_PKT_FLAG_KEY) != 0 && packet.pts != AV_NOPTS_VALUE) {
                keyFrames_.Add(packet.pts, packet.pos);
            }
        }
        av_packet_unref(packet_.get());
    }
    RewindToStart();
    // At a constant rate, N frames span N - 1 frame times, to within half a frame.
    const AVRational frameTime = av_inv_q(frameRate_);
    if (countedFrames_ > 0 && HasFrameTimeFormat() &&
        !span.Spans(Rescaled(countedFrames_ - 1, frameTime, timeBase_),
                    Rescaled(1, frameTime, timeBase_) / 2)) {
        // The rate FFmpeg guessed from the first frames does not hold for the whole stream
        // (variable-rate Matroska): frame numbers would miss frames, so positions are media time.
        frameRate_ = {0, 1};
    }
}

void VideoDecoder::KeepPalette() {
    // Containers hand a palette stream's colours over once, with its first packet (AVI, MOV); a
    // decoder that meets them only there draws every frame after a seek black. They are read
    // here and handed in again with every packet that lacks them.
    if (codec_->pix_fmt != AV_PIX_FMT_PAL8 || !seekable_) {
        return;
    }
    for (int64_t packets = 0; packets < kMaxPacketsPerFrame && !Expired(); ++packets) {
        if (av_read_frame(format_.get(), packet_.get()) < 0) {
            break;
        }
        const bool ours = packet_->stream_index == streamIndex_;
        if (ours) {
            CarryPalette(packet_.get());
        }
        av_packet_unref(packet_.get());
        if (ours) {
            break;
        }
    }
    RewindToStart();
}

void VideoDecoder::AlignReorderedTimestamps() {
    // A container that stores only decoding times (AVI) stamps each frame of a stream with
    // reordered (B-) frames with the time of the packet that let it out, one or two frames after
    // its own: the first frame arrives stamped 1 or 2, and every position would show an earlier
    // frame. That first stamp, when the frame has no presentation time, is where the frames start.
    const AVStream* stream = format_->streams[streamIndex_];
    if (stream->codecpar->video_delay <= 0 || !seekable_) {
        return;
    }
    const bool decoded = DecodeNext(pending_.get()) == DecodeStatus::kFrame;
    const int64_t first = pending_->best_effort_timestamp;
    const bool late = decoded && pending_->pts == AV_NOPTS_VALUE && first != AV_NOPTS_VALUE &&
                      first > startTimestamp_;
    FlushDecoder();
    RewindToStart();
    if (late) {
        reorderShift_ = first - startTimestamp_;
        startTimestamp_ = first;
    }
}

void VideoDecoder::CarryPalette(AVPacket* packet) {
    if (codec_->pix_fmt != AV_PIX_FMT_PAL8) {
        return;  // only palette streams have colours to carry
    }
    size_t size = 0;
    if (const uint8_t* colours = av_packet_get_side_data(packet, AV_PKT_DATA_PALETTE, &size)) {
        palette_.assign(colours, colours + size);
    } else if (!palette_.empty()) {
        if (uint8_t* copy = av_packet_new_side_data(packet, AV_PKT_DATA_PALETTE, palette_.size())) {
            std::memcpy(copy, palette_.data(), palette_.size());
        }
    }
}

bool VideoDecoder::SeekBefore(int64_t timestamp) {
    // The packets of reordered frames stamped late lie that much earlier in the index.
    return av_seek_frame(format_.get(), streamIndex_, Minus(timestamp, reorderShift_),
                         AVSEEK_FLAG_BACKWARD) >= 0;
}

VideoDecoder::Approach VideoDecoder::DecodeUpTo(int64_t position, TimeFormat format,
                                                bool needKeyFrame) {
    const bool byFrames = format == TimeFormat::kFrames && HasFrameTimeFormat();
    bool sawKey = !needKeyFrame;
    bool haveCandidate = false;  // media time: a frame starting at or before position is held
    AVFrame* frame = pending_.get();
    for (int frames = 0; frames < kMaxFramesPerSeek; ++frames) {
        const DecodeStatus status = DecodeNext(frame);
        if (status == DecodeStatus::kError) {
            return Approach::kFailed;
        }
        if (status == DecodeStatus::kEnd) {
            if (haveCandidate) {
                return TakeCandidate();
            }
            return sawKey ? Approach::kEnded : Approach::kTooLate;
        }
        bool firstKey = false;
        if (!sawKey) {
            // Frames before the first key frame after a seek refer to pictures never decoded.
            if (!IsKeyFrame(frame)) {
                av_frame_unref(frame);
                continue;
            }
            sawKey = firstKey = true;
        }
        Stamp(frame);
        // A key frame without a time stamp right after a seek cannot be placed; it is taken.
        if (firstKey && frame->best_effort_timestamp == AV_NOPTS_VALUE) {
            hasPending_ = true;
            return Approach::kFound;
        }
        const int64_t at = byFrames ? lastFrameIndex_ : lastMediaTime_;
        if (byFrames ? at < position : at <= position) {
            if (!byFrames) {
                // The frame shown at position is the last one that starts at or before it.
                av_frame_unref(candidate_.get());
                av_frame_move_ref(candidate_.get(), frame);
                haveCandidate = true;
            } else {
                av_frame_unref(frame);
            }
            continue;
        }
        if (firstKey && at > position && !haveCandidate) {
            // The seek landed after the target: the caller retries from further back.
            av_frame_unref(frame);
            return Approach::kTooLate;
        }
        if (haveCandidate) {
            av_frame_move_ref(lookahead_.get(), frame);
            hasLookahead_ = true;
            return TakeCandidate();
        }
        hasPending_ = true;
        return Approach::kFound;
    }
    return Approach::kFailed;
}

VideoDecoder::Approach VideoDecoder::TakeCandidate() {
    av_frame_unref(pending_.get());
    av_frame_move_ref(pending_.get(), candidate_.get());
    Stamp(pending_.get());
    hasPending_ = true;
    return Approach::kFound;
}

VideoDecoder::Approach VideoDecoder::ApproachFromIndexedKeyFrame(int64_t position,
                                                                 TimeFormat format) {
    int64_t bytePosition = 0;
    if (!keyFrames_.PositionBefore(TimestampOf(position, format), bytePosition) ||
        av_seek_frame(format_.get(), -1, bytePosition, AVSEEK_FLAG_BYTE) < 0) {
        return Approach::kTooLate;
    }
    FlushDecoder();
    return DecodeUpTo(position, format, true);
}

// Ends a seek that found its frame, or the end: a position with no frame still becomes the
// current one.
bool VideoDecoder::Settle(Approach approach, int64_t position, TimeFormat format) {
    if (approach == Approach::kFailed) {
        return false;
    }
    if (approach != Approach::kFound) {
        lastFrameIndex_ = format == TimeFormat::kFrames ? position : lastFrameIndex_;
        lastMediaTime_ = format == TimeFormat::kMediaTime ? position : lastMediaTime_;
    }
    return true;
}

bool VideoDecoder::SeekTo(int64_t position, TimeFormat format) {
    if (!IsOpen()) {
        return false;
    }
    ArmDeadline();
    // The counted key frames name the place to decode from; the search by time below is for
    // files without them, and for a key frame that turns out to come too late or to fail.
    const Approach indexed = ApproachFromIndexedKeyFrame(position, format);
    if (indexed == Approach::kFound || indexed == Approach::kEnded) {
        return Settle(indexed, position, format);
    }
    av_frame_unref(pending_.get());
    const int64_t target = TimestampOf(position, format);
    const int64_t oneSecond = av_rescale_q(1, AVRational{1, 1}, timeBase_);
    int64_t backoff = 0;
    for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
        const int64_t seekAt = Minus(target, backoff);
        bool fromStart = seekAt <= startTimestamp_ || attempt == kSeekAttempts - 1;
        if (!fromStart && !SeekBefore(seekAt)) {
            fromStart = true;
        }
        if (fromStart && !RewindToStart()) {
            return false;
        }
        FlushDecoder();
        const Approach approach = DecodeUpTo(position, format, !fromStart);
        if (approach != Approach::kTooLate || fromStart) {
            return Settle(approach, position, format);
        }
        av_frame_unref(pending_.get());
        backoff = backoff == 0 ? oneSecond : Plus(backoff, Plus(backoff, Plus(backoff, backoff)));
    }
    return false;
}

DecodeStatus VideoDecoder::ReadFrame(BgrFrame& frame) {
    if (!IsOpen()) {
        return DecodeStatus::kError;
    }
    ArmDeadline();
    if (!hasPending_ && hasLookahead_) {
        av_frame_move_ref(pending_.get(), lookahead_.get());
        hasLookahead_ = false;
        Stamp(pending_.get());
    } else if (!hasPending_) {
        const DecodeStatus status = DecodeNext(pending_.get());
        if (status != DecodeStatus::kFrame) {
            return status;
        }
        Stamp(pending_.get());
    }
    hasPending_ = false;
    const bool converted = Convert(pending_.get(), frame);
    av_frame_unref(pending_.get());
    return converted ? DecodeStatus::kFrame : DecodeStatus::kError;
}

bool VideoDecoder::Convert(const AVFrame* source, BgrFrame& frame) {
    if (source->width <= 0 || source->height <= 0 || source->format < 0) {
        return false;
    }
    // Every picture leaves at the stream's connected size, whatever a broken stream decodes to.
    bool fullRange = source->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat format = PlainFormat(static_cast<AVPixelFormat>(source->format), fullRange);
    scaler_.reset(sws_getCachedContext(scaler_.release(), source->width, source->height, format,
                                       codedWidth_, codedHeight_, AV_PIX_FMT_BGR24, SWS_BICUBIC,
                                       nullptr, nullptr, nullptr));
    if (!scaler_) {
        return false;
    }
    const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(scaler_.get(), coefficients, fullRange ? 1 : 0, coefficients, 1, 0,
                             1 << 16, 1 << 16);
    // The scaler's vector code may write past the end of each row, so it fills a padded top-down
    // buffer whose rows are then copied, bottom row first, into the frame.
    const int32_t rowBytes = codedWidth_ * 3;
    const int32_t scratchStride = FFALIGN(rowBytes, 64) + 64;
    scratch_.resize(static_cast<size_t>(scratchStride) * (codedHeight_ + 1));
    uint8_t* planes[4] = {scratch_.data(), nullptr, nullptr, nullptr};
    int strides[4] = {scratchStride, 0, 0, 0};
    if (sws_scale(scaler_.get(), source->data, source->linesize, 0, source->height, planes,
                  strides) <= 0) {
        return false;
    }
    frame.width = width_;
    frame.height = height_;
    frame.stride = BgrFrame::StrideFor(width_);
    frame.bitsPerPixel = 24;
    frame.frameIndex = lastFrameIndex_;
    frame.mediaTime = lastMediaTime_;
    // A frame handed in again at the same size keeps its rows; their padding stays zero.
    const size_t bytes = static_cast<size_t>(frame.stride) * static_cast<size_t>(height_);
    if (frame.bytes.size() != bytes) {
        frame.bytes.assign(bytes, 0);
    }
    if (turns_ != 0) {
        CopyTurned(scratch_.data(), scratchStride, codedWidth_, codedHeight_, turns_, frame);
        return true;
    }
    for (int32_t y = 0; y < height_; ++y) {
        std::memcpy(frame.bytes.data() + static_cast<size_t>(height_ - 1 - y) * frame.stride,
                    scratch_.data() + static_cast<size_t>(y) * scratchStride, rowBytes);
    }
    return true;
}

}  // namespace lumivex::video
