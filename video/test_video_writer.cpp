#include "video/test_video_writer.h"

#include <algorithm>
#include <cmath>

#include "video/av_owners.h"

namespace lumivex::video {

namespace {

constexpr int kBits = 8;  // picture numbers 0 ... 255 as eight bright or dark bands

struct EncoderChoice {
    AVCodecID codec;
    const char* container;
    AVPixelFormat pixels;
    int gop;
    int bFrames;
};

EncoderChoice ChoiceFor(TestVideoKind kind) {
    switch (kind) {
        case TestVideoKind::kMpeg1Program:
            return {AV_CODEC_ID_MPEG1VIDEO, "mpeg", AV_PIX_FMT_YUV420P, 12, 2};
        case TestVideoKind::kMpeg2Program:
            return {AV_CODEC_ID_MPEG2VIDEO, "vob", AV_PIX_FMT_YUV420P, 12, 2};
        case TestVideoKind::kMpeg4Avi:
            return {AV_CODEC_ID_MPEG4, "avi", AV_PIX_FMT_YUV420P, 25, 0};
        case TestVideoKind::kMjpegMatroska:
            return {AV_CODEC_ID_MJPEG, "matroska", AV_PIX_FMT_YUVJ420P, 1, 0};
        case TestVideoKind::kMpeg2Transport:
            return {AV_CODEC_ID_MPEG2VIDEO, "mpegts", AV_PIX_FMT_YUV420P, 12, 2};
        case TestVideoKind::kMjpegAvi:
            break;
    }
    return {AV_CODEC_ID_MJPEG, "avi", AV_PIX_FMT_YUVJ420P, 1, 0};
}

bool Fail(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

// Sends one frame (or the end, for null) and writes every packet the encoder gives back.
bool EncodeAndWrite(AVCodecContext* codec, AVFormatContext* format, AVStream* stream,
                    const AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) {
        return false;
    }
    PacketPtr packet(av_packet_alloc());
    if (!packet) {
        return false;
    }
    for (;;) {
        const int result = avcodec_receive_packet(codec, packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return true;
        }
        if (result < 0) {
            return false;
        }
        av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(format, packet.get()) < 0) {
            return false;
        }
    }
}

CodecContextPtr OpenEncoder(const TestVideoSpec& spec, const EncoderChoice& choice,
                            const AVFormatContext* format) {
    const AVCodec* encoder = avcodec_find_encoder(choice.codec);
    if (encoder == nullptr) {
        return nullptr;
    }
    CodecContextPtr codec(avcodec_alloc_context3(encoder));
    if (!codec) {
        return nullptr;
    }
    codec->width = spec.width;
    codec->height = spec.height;
    codec->pix_fmt = choice.pixels;
    codec->time_base =
        spec.timesMs.empty() ? AVRational{1, spec.framesPerSecond} : AVRational{1, 1000};
    codec->framerate = AVRational{spec.framesPerSecond, 1};
    codec->gop_size = choice.gop;
    codec->max_b_frames = choice.bFrames;
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    codec->global_quality = FF_QP2LAMBDA * 3;
    codec->bit_rate = 0;
    codec->rc_buffer_size = 0;
    codec->thread_count = 1;
    if (spec.aspectX > 0 && spec.aspectY > 0) {
        codec->sample_aspect_ratio = AVRational{spec.aspectX, spec.aspectY};
    }
    if (spec.interlaced) {
        codec->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
        codec->field_order = AV_FIELD_TT;
    }
    if (format->oformat->flags & AVFMT_GLOBALHEADER) {
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(codec.get(), encoder, nullptr) < 0) {
        return nullptr;
    }
    return codec;
}

bool FillFrame(const TestVideoSpec& spec, int32_t index, SwsContext* scaler, AVFrame* frame) {
    if (av_frame_make_writable(frame) < 0) {
        return false;
    }
    const std::vector<uint8_t> rgb =
        PaintTestPicture(spec.pictures[index], spec.width, spec.height);
    const uint8_t* planes[1] = {rgb.data()};
    const int strides[1] = {spec.width * 3};
    sws_scale(scaler, planes, strides, 0, spec.height, frame->data, frame->linesize);
    frame->pts = spec.timesMs.empty() ? index : spec.timesMs[index];
    frame->interlaced_frame = spec.interlaced ? 1 : 0;
    frame->top_field_first = spec.interlaced ? 1 : 0;
    frame->quality = FF_QP2LAMBDA * 3;
    return true;
}

}  // namespace

std::vector<int32_t> CountingPictures(int32_t count) {
    std::vector<int32_t> pictures;
    for (int32_t i = 0; i < count; ++i) {
        pictures.push_back(i);
    }
    return pictures;
}

std::vector<uint8_t> PaintTestPicture(int32_t picture, int32_t width, int32_t height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double value = 0;
            if (y < height / 2) {
                // The picture number: band b is bright when bit b is set.
                const int band = std::min(kBits - 1, x * kBits / width);
                value = (picture >> band) & 1 ? 220.0 : 35.0;
            } else {
                // Texture moving by a fraction of a pixel per picture, for the registration.
                const double u = x - 0.6 * picture;
                value = 128.0 + 55.0 * std::sin(u * 0.31 + y * 0.17) +
                        35.0 * std::cos(u * 0.11 - y * 0.23);
            }
            const auto level = static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
            uint8_t* pixel = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            pixel[0] = level;
            pixel[1] = static_cast<uint8_t>(std::min(255, level + 10));
            pixel[2] = static_cast<uint8_t>(std::max(0, level - 10));
        }
    }
    return rgb;
}

int32_t ReadTestPicture(const uint8_t* bottomUpBgr, int32_t width, int32_t height, int32_t stride) {
    int32_t picture = 0;
    for (int band = 0; band < kBits; ++band) {
        const int32_t left = band * width / kBits;
        const int32_t right = (band + 1) * width / kBits;
        const int32_t x0 = left + (right - left) / 4;
        const int32_t x1 = std::max(x0 + 1, right - (right - left) / 4);
        int64_t sum = 0;
        int64_t count = 0;
        for (int32_t y = height / 8; y < height * 3 / 8; ++y) {
            const uint8_t* row = bottomUpBgr + static_cast<size_t>(height - 1 - y) * stride;
            for (int32_t x = x0; x < x1; ++x) {
                sum += row[x * 3 + 1];
                ++count;
            }
        }
        if (count > 0 && sum / count > 128) {
            picture |= 1 << band;
        }
    }
    return picture;
}

bool WriteTestVideo(const TestVideoSpec& spec, const std::string& path, std::string* error) {
    if (!spec.timesMs.empty() && spec.timesMs.size() < spec.pictures.size()) {
        return Fail(error, "a time is missing for some frames");
    }
    const EncoderChoice choice = ChoiceFor(spec.kind);
    AVFormatContext* rawFormat = nullptr;
    if (avformat_alloc_output_context2(&rawFormat, nullptr, choice.container, path.c_str()) < 0) {
        return Fail(error, "no muxer");
    }
    FormatContextPtr format(rawFormat);
    CodecContextPtr codec = OpenEncoder(spec, choice, format.get());
    if (!codec) {
        return Fail(error, "cannot open the encoder");
    }
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, codec.get()) < 0) {
        return Fail(error, "cannot add the stream");
    }
    stream->time_base = codec->time_base;
    stream->sample_aspect_ratio = codec->sample_aspect_ratio;
    // Free frame times still come with the nominal rate declared, as editing tools write them.
    if (!spec.timesMs.empty()) {
        stream->avg_frame_rate = codec->framerate;
    }
    if (avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
        return Fail(error, "cannot create " + path);
    }
    bool ok = avformat_write_header(format.get(), nullptr) >= 0;
    FramePtr frame(av_frame_alloc());
    ScaleContextPtr scaler(sws_getContext(spec.width, spec.height, AV_PIX_FMT_RGB24, spec.width,
                                          spec.height, choice.pixels, SWS_BICUBIC, nullptr, nullptr,
                                          nullptr));
    if (ok && frame && scaler) {
        frame->format = choice.pixels;
        frame->width = spec.width;
        frame->height = spec.height;
        ok = av_frame_get_buffer(frame.get(), 0) >= 0;
        for (int32_t i = 0; ok && i < static_cast<int32_t>(spec.pictures.size()); ++i) {
            ok = FillFrame(spec, i, scaler.get(), frame.get()) &&
                 EncodeAndWrite(codec.get(), format.get(), stream, frame.get());
        }
        ok = ok && EncodeAndWrite(codec.get(), format.get(), stream, nullptr) &&
             av_write_trailer(format.get()) >= 0;
    } else {
        ok = false;
    }
    avio_closep(&format->pb);
    return ok || Fail(error, "encoding failed");
}

}  // namespace lumivex::video
