// Writes small synthetic videos through FFmpeg's encoders, so that the tests run on real encoded
// files of every kind the program reads without keeping large fixtures. Each frame shows a test
// picture whose number can be read back from the decoded frame, through any lossy codec.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video/bgr_frame.h"

namespace lumivex::video {

enum class TestVideoKind {
    kMpeg1Program,    // MPEG-1 video in an MPEG-1 system stream (.mpg)
    kMpeg2Program,    // MPEG-2 video in an MPEG-2 program stream (.mpeg)
    kMjpegAvi,        // motion JPEG in AVI
    kMpeg4Avi,        // MPEG-4 part 2 in AVI
    kMjpegMatroska,   // motion JPEG in Matroska (.mkv), the only kind with free time stamps
    kMpeg2Transport,  // MPEG-2 video in an MPEG transport stream (.ts, .mts)
};

struct TestVideoSpec {
    TestVideoKind kind = TestVideoKind::kMjpegAvi;
    int32_t width = 160;
    int32_t height = 120;
    int32_t framesPerSecond = 25;
    std::vector<int32_t> pictures;  // the test picture shown by each frame, in order (0 ... 255)
    int32_t aspectX = 0;            // pixel aspect ratio; 0 = not stated
    int32_t aspectY = 0;
    bool interlaced = false;  // encode as interlaced frames, top field first
    // Matroska only: frame i is shown at these milliseconds instead of i / framesPerSecond (the
    // file still declares framesPerSecond as its rate).
    std::vector<int64_t> timesMs = {};
};

// The pictures 0, 1, ..., count - 1.
std::vector<int32_t> CountingPictures(int32_t count);

bool WriteTestVideo(const TestVideoSpec& spec, const std::string& path, std::string* error);

// The test picture as top-down packed R, G, B bytes.
std::vector<uint8_t> PaintTestPicture(int32_t picture, int32_t width, int32_t height);

// The picture number shown by a decoded frame (bottom-up B, G, R rows of the given stride).
int32_t ReadTestPicture(const uint8_t* bottomUpBgr, int32_t width, int32_t height, int32_t stride);
inline int32_t ReadTestPicture(const BgrFrame& frame) {
    return ReadTestPicture(frame.bytes.data(), frame.width, frame.height, frame.stride);
}

}  // namespace lumivex::video
