#include "video/video_decoder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/video/video_fixtures.h"

namespace lumivex::video {
namespace {

using testing::MakeVideo;

struct KindCase {
    const char* name;
    std::string (*make)();
    int32_t width;
    int32_t height;
    int64_t frames;
};

class DecoderKinds : public ::testing::TestWithParam<KindCase> {};

// Seeks frame-accurately in every kind of file, including MPEG with B-frames, where the seek
// lands on an earlier key frame and must decode forward.
TEST_P(DecoderKinds, SeeksToTheExactFrameAndReadsOnInOrder) {
    const KindCase& c = GetParam();
    VideoDecoder decoder;
    std::string error;
    ASSERT_TRUE(decoder.OpenFile(c.make(), &error)) << error;
    EXPECT_EQ(decoder.Width(), c.width);
    EXPECT_EQ(decoder.Height(), c.height);
    ASSERT_TRUE(decoder.HasFrameTimeFormat());
    EXPECT_EQ(decoder.Duration(TimeFormat::kFrames), c.frames);
    EXPECT_EQ(decoder.Duration(TimeFormat::kMediaTime), c.frames * 400'000);
    EXPECT_TRUE(decoder.IsSeekable());

    for (int64_t target : {c.frames / 2, int64_t{1}, c.frames - 3, int64_t{0}, int64_t{7}}) {
        ASSERT_TRUE(decoder.SeekTo(target, TimeFormat::kFrames)) << target;
        for (int64_t expected = target; expected < std::min(target + 3, c.frames); ++expected) {
            BgrFrame frame;
            ASSERT_EQ(decoder.ReadFrame(frame), DecodeStatus::kFrame) << expected;
            EXPECT_EQ(frame.frameIndex, expected);
            EXPECT_EQ(decoder.Position(TimeFormat::kFrames), expected);
            EXPECT_EQ(ReadTestPicture(frame), expected);
            EXPECT_EQ(frame.width, c.width);
            EXPECT_EQ(frame.stride, BgrFrame::StrideFor(c.width));
            EXPECT_EQ(frame.bytes.size(), size_t(frame.stride) * c.height);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecoderKinds,
    ::testing::Values(KindCase{"mpeg1", &testing::Mpeg1Video, 176, 144, 40},
                      KindCase{"mpeg2", &testing::Mpeg2InterlacedVideo, 720, 576, 16},
                      KindCase{"mjpeg", &testing::MjpegVideo, 128, 112, 30},
                      KindCase{"mpeg4", &testing::Mpeg4Video, 112, 104, 36},
                      KindCase{"mpegts", &testing::TransportStreamVideo, 128, 96, 30}),
    [](const auto& info) { return std::string(info.param.name); });

// A Matroska stream whose rate doubles part way: the rate of its first frames would number the
// later ones wrongly and leave the last unreachable, so its positions are media time.
TEST(VideoDecoder, ARateThatChangesPartWayIsCountedInMediaTime) {
    TestVideoSpec spec{TestVideoKind::kMjpegMatroska, 64, 48, 25, CountingPictures(30)};
    for (int64_t i = 0; i < 30; ++i) {
        spec.timesMs.push_back(i < 10 ? i * 80 : 800 + (i - 10) * 40);
    }
    VideoDecoder decoder;
    ASSERT_TRUE(decoder.OpenFile(testing::MakeVideo("rate-change.mkv", spec), nullptr));
    EXPECT_FALSE(decoder.HasFrameTimeFormat());
    EXPECT_EQ(decoder.FrameCount(), 30);
    ASSERT_TRUE(decoder.SeekTo(15'600'000, TimeFormat::kMediaTime));
    BgrFrame frame;
    ASSERT_EQ(decoder.ReadFrame(frame), DecodeStatus::kFrame);
    EXPECT_EQ(ReadTestPicture(frame), 29);
}

TEST(VideoDecoder, SeeksInMediaTimeToTheFrameShownAtThatTime) {
    VideoDecoder decoder;
    ASSERT_TRUE(decoder.OpenFile(testing::Mpeg1Video(), nullptr));
    // Frame 12 is shown from 4,800,000 to 5,200,000 units of 100 ns.
    for (int64_t time : {4'800'000, 5'000'000, 5'199'999}) {
        ASSERT_TRUE(decoder.SeekTo(time, TimeFormat::kMediaTime));
        BgrFrame frame;
        ASSERT_EQ(decoder.ReadFrame(frame), DecodeStatus::kFrame);
        EXPECT_EQ(ReadTestPicture(frame), 12) << time;
        EXPECT_EQ(frame.mediaTime, 4'800'000);
    }
}

TEST(VideoDecoder, ReportsThePreferredAspectFromThePixelAspect) {
    VideoDecoder decoder;
    int64_t x = 0;
    int64_t y = 0;
    ASSERT_TRUE(decoder.OpenFile(testing::WideMpeg2Video(), nullptr));
    ASSERT_TRUE(decoder.PreferredAspectRatio(x, y));
    EXPECT_EQ(x * 9, y * 16);
    ASSERT_TRUE(decoder.OpenFile(testing::Mpeg2InterlacedVideo(), nullptr));
    ASSERT_TRUE(decoder.PreferredAspectRatio(x, y));
    EXPECT_EQ(x * 3, y * 4);
    ASSERT_TRUE(decoder.OpenFile(testing::MjpegVideo(), nullptr));
    EXPECT_FALSE(decoder.PreferredAspectRatio(x, y));
}

TEST(VideoDecoder, ReadsToTheEndAndStaysThere) {
    VideoDecoder decoder;
    ASSERT_TRUE(decoder.OpenFile(testing::Mpeg4Video(), nullptr));
    BgrFrame frame;
    int frames = 0;
    while (decoder.ReadFrame(frame) == DecodeStatus::kFrame) {
        EXPECT_EQ(ReadTestPicture(frame), frames);
        ++frames;
    }
    EXPECT_EQ(frames, 36);
    EXPECT_EQ(decoder.ReadFrame(frame), DecodeStatus::kEnd);
    // A seek past the end succeeds; there is just nothing to read.
    EXPECT_TRUE(decoder.SeekTo(50, TimeFormat::kFrames));
    EXPECT_EQ(decoder.ReadFrame(frame), DecodeStatus::kEnd);
    // And the stream can be read again after running off its end.
    ASSERT_TRUE(decoder.SeekTo(35, TimeFormat::kFrames));
    ASSERT_EQ(decoder.ReadFrame(frame), DecodeStatus::kFrame);
    EXPECT_EQ(ReadTestPicture(frame), 35);
}

TEST(VideoDecoder, OpensAFileHeldInMemoryLikeTheFileItself) {
    const std::string path = testing::Mpeg1Video();
    VideoDecoder fromFile;
    VideoDecoder fromMemory;
    ASSERT_TRUE(fromFile.OpenFile(path, nullptr));
    std::string error;
    ASSERT_TRUE(fromMemory.OpenMemory(testing::ReadBytes(path), &error)) << error;
    EXPECT_EQ(fromMemory.Duration(TimeFormat::kFrames), fromFile.Duration(TimeFormat::kFrames));
    EXPECT_TRUE(fromMemory.IsSeekable());
    ASSERT_TRUE(fromFile.SeekTo(21, TimeFormat::kFrames));
    ASSERT_TRUE(fromMemory.SeekTo(21, TimeFormat::kFrames));
    BgrFrame a;
    BgrFrame b;
    ASSERT_EQ(fromFile.ReadFrame(a), DecodeStatus::kFrame);
    ASSERT_EQ(fromMemory.ReadFrame(b), DecodeStatus::kFrame);
    EXPECT_EQ(a.bytes, b.bytes);
}

// Everything that is not a playable video is refused with a reason, from a path and from memory.
TEST(VideoDecoder, RefusesWhatIsNoVideo) {
    const std::string data = std::string(LUMIVEX_TEST_DATA) + "/video/";
    const std::string folder = testing::ScratchFolder();
    for (const std::string& path : {data + "b_audio_only.mpg", data + "b_garbage_named_avi.avi",
                                    folder + "/missing.avi", folder}) {
        VideoDecoder decoder;
        std::string error;
        EXPECT_FALSE(decoder.OpenFile(path, &error)) << path;
        EXPECT_FALSE(error.empty()) << path;
        EXPECT_FALSE(decoder.IsOpen());
        BgrFrame frame;
        EXPECT_EQ(decoder.ReadFrame(frame), DecodeStatus::kError);
        EXPECT_FALSE(decoder.SeekTo(3, TimeFormat::kFrames));
    }
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>{}, testing::ReadBytes(data + "b_audio_only.mpg"),
          testing::ReadBytes(data + "b_garbage_named_avi.avi")}) {
        VideoDecoder decoder;
        EXPECT_FALSE(decoder.OpenMemory(bytes, nullptr));
    }
}

// A cut-off file opens; the frames before the cut decode, and reading past it ends cleanly.
TEST(VideoDecoder, TruncatedFileEndsAtTheCut) {
    std::vector<uint8_t> bytes = testing::ReadBytes(testing::Mpeg1Video());
    bytes.resize(bytes.size() * 45 / 100);
    VideoDecoder decoder;
    ASSERT_TRUE(decoder.OpenMemory(bytes, nullptr));
    EXPECT_LT(decoder.Duration(TimeFormat::kFrames), 40);
    BgrFrame frame;
    int frames = 0;
    DecodeStatus status;
    while ((status = decoder.ReadFrame(frame)) == DecodeStatus::kFrame && frames < 100) {
        if (frames < 10) {
            EXPECT_EQ(ReadTestPicture(frame), frames);
        }
        ++frames;
    }
    EXPECT_EQ(status, DecodeStatus::kEnd);
    EXPECT_GT(frames, 10);
    EXPECT_LT(frames, 40);
    EXPECT_TRUE(decoder.SeekTo(45, TimeFormat::kFrames));
    EXPECT_EQ(decoder.ReadFrame(frame), DecodeStatus::kEnd);
}

// Bytes flipped all through the file: whatever decodes, every call returns, in both containers.
TEST(VideoDecoder, CorruptFileNeitherHangsNorCrashes) {
    for (const std::string& path : {testing::Mpeg4Video(), testing::Mpeg1Video()}) {
        for (size_t stride : {97, 13}) {
            std::vector<uint8_t> bytes = testing::ReadBytes(path);
            for (size_t i = 64; i < bytes.size(); i += stride) {
                bytes[i] ^= 0x5a;
            }
            VideoDecoder decoder;
            if (!decoder.OpenMemory(bytes, nullptr)) {
                continue;  // refusing the file outright is a valid outcome
            }
            decoder.SeekTo(20, TimeFormat::kFrames);
            decoder.SeekTo(3'000'000, TimeFormat::kMediaTime);
            BgrFrame frame;
            int calls = 0;
            while (decoder.ReadFrame(frame) == DecodeStatus::kFrame && calls < 100) {
                EXPECT_EQ(frame.bytes.size(), size_t(frame.stride) * decoder.Height());
                ++calls;
            }
            EXPECT_LT(calls, 100);
        }
    }
}

}  // namespace
}  // namespace lumivex::video

namespace lumivex::video {
namespace {

// Frames decoded after a seek are byte for byte the frames the ffmpeg program decodes from the
// start (references in tests/data/video, see its README), in files with padded rows and B-frames
// (in AVI, which stamps each frame with the time of the packet that let it out), in a palette
// stream whose colours come only with its first packet, and turned as a stream asks (a phone's
// upright video).
TEST(VideoDecoder, FramesEqualTheReferenceDecoder) {
    const std::string data = std::string(LUMIVEX_TEST_DATA) + "/video/";
    const std::pair<std::string, int64_t> cases[] = {
        {"b_mpeg4_100x100.avi", 25},      {"b_mpeg4_100x100.avi", 31},
        {"mpeg1_118x96_bframes.mpg", 50}, {"mpeg1_118x96_bframes.mpg", 13},
        {"mpeg4_64x48_bframes.avi", 17},  {"h264_64x48_bframes.avi", 22},
        {"h264_64x48_bframes.avi", 23},   {"pal8_raw_64x48.avi", 6},
        {"rotated90_64x48.mp4", 5},       {"rotated270_64x48.mp4", 5}};
    for (const auto& [file, position] : cases) {
        const std::string name = file.substr(0, file.rfind('.'));
        VideoDecoder decoder;
        ASSERT_TRUE(decoder.OpenFile(data + file, nullptr));
        ASSERT_TRUE(decoder.SeekTo(position, TimeFormat::kFrames));
        BgrFrame frame;
        ASSERT_EQ(decoder.ReadFrame(frame), DecodeStatus::kFrame);
        int32_t width = 0;
        int32_t height = 0;
        const std::vector<uint8_t> reference = testing::BmpPixels(
            data + name + "_frame" + std::to_string(position) + ".bmp", width, height);
        EXPECT_EQ(frame.width, width);
        EXPECT_EQ(frame.height, height);
        ASSERT_EQ(frame.bytes.size(), reference.size()) << name;
        EXPECT_TRUE(frame.bytes == reference) << name << " frame " << position;
    }
}

}  // namespace
}  // namespace lumivex::video
