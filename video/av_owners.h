// Owners for the FFmpeg objects of the decoding layer. Every AV* object lives in one of these, so
// each is freed with its own free function on every path.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace lumivex::video {

struct FormatContextFree {
    // Opened inputs are closed; output contexts (never opened for reading) are freed.
    void operator()(AVFormatContext* context) const {
        if (context != nullptr && context->iformat != nullptr) {
            avformat_close_input(&context);
        } else {
            avformat_free_context(context);
        }
    }
};
struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleContextFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
// A custom I/O context owns its buffer, which FFmpeg may have replaced since allocation.
struct IoContextFree {
    void operator()(AVIOContext* io) const {
        if (io != nullptr) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextFree>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScaleContextPtr = std::unique_ptr<SwsContext, ScaleContextFree>;
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextFree>;

}  // namespace lumivex::video
