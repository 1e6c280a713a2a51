// Synthetic test videos, encoded once per test program into a private temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video/test_video_writer.h"

namespace lumivex::video::testing {

// The folder every test video of this program is written to (created on first use, removed
// when the program ends).
const std::string& ScratchFolder();

// Encodes the video once and returns its path; later calls with the same name reuse it.
std::string MakeVideo(const std::string& name, const TestVideoSpec& spec);

// The videos most tests use.
std::string Mpeg1Video();            // 176 x 144 MPEG-1 .mpg, 40 counting frames
std::string Mpeg2InterlacedVideo();  // 720 x 576 MPEG-2 .mpeg, interlaced, 4:3, 16 frames
std::string MjpegVideo();            // 128 x 112 MJPEG .avi, 30 counting frames
std::string Mpeg4Video();            // 112 x 104 MPEG-4 .avi, 36 counting frames
std::string TransportStreamVideo();  // 128 x 96 MPEG-2 in a transport stream .ts, 30 frames
std::string WideMpeg2Video();        // 720 x 576 MPEG-2 .mpeg with a 16:9 picture, 8 frames
std::string RepeatedFramesVideo();   // 128 x 112 MJPEG .avi whose frame 10 repeats frame 9

// The pixel rows of a 24-bit BMP file written by the ffmpeg program (fixtures decoded by it), with
// its width and height.
std::vector<uint8_t> BmpPixels(const std::string& path, int32_t& width, int32_t& height);

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace lumivex::video::testing
