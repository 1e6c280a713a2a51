// Opens arbitrary bytes as an in-memory video, reads a few frames, seeks back to the start and
// reads one more: the paths the player and the frame gathering take on a file they just opened.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "video/bgr_frame.h"
#include "video/video_decoder.h"

namespace {

constexpr int kFramesRead = 4;

void ReadSomeFrames(lumivex::video::VideoDecoder& decoder, int count) {
    lumivex::video::BgrFrame frame;
    for (int i = 0; i < count; ++i) {
        if (decoder.ReadFrame(frame) != lumivex::video::DecodeStatus::kFrame)
            return;
        // A frame is exactly the bottom-up block its size promises; touch all of it.
        const size_t expected = static_cast<size_t>(frame.stride) * frame.height;
        if (frame.width != decoder.Width() || frame.height != decoder.Height() ||
            frame.bytes.size() != expected)
            std::abort();
        lumivex::fuzz::TouchBytes(frame.bytes.data(), frame.bytes.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumivex::video::VideoDecoder decoder;
    decoder.SetCallTimeLimit(std::chrono::milliseconds(2000));
    std::string error;
    if (!decoder.OpenMemory(std::vector<uint8_t>(data, data + size), &error))
        return 0;
    int64_t x = 0, y = 0;
    decoder.PreferredAspectRatio(x, y);
    const lumivex::video::TimeFormat format = decoder.HasFrameTimeFormat()
                                                  ? lumivex::video::TimeFormat::kFrames
                                                  : lumivex::video::TimeFormat::kMediaTime;
    decoder.Duration(format);
    ReadSomeFrames(decoder, kFramesRead);
    if (decoder.IsSeekable() && decoder.SeekTo(0, format))
        ReadSomeFrames(decoder, 1);
    return 0;
}
