// The video layer on files cut in the middle or damaged: opening from memory and from disk,
// reading every frame, seeking, describing and extracting never crash, hang or hand out a frame
// whose buffer does not match its size.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "image/message_sink.h"
#include "tests/robustness/damage.h"
#include "tests/video/video_fixtures.h"
#include "video/bgr_frame.h"
#include "video/frame_extraction.h"
#include "video/test_video_writer.h"
#include "video/video_decoder.h"
#include "video/video_info.h"

namespace lumivex::robustness {
namespace {

namespace fs = std::filesystem;
using video::DecodeStatus;
using video::TestVideoKind;
using video::TimeFormat;

struct Sample {
    const char* name;
    TestVideoKind kind;
};

const Sample kSamples[] = {{"mjpeg.avi", TestVideoKind::kMjpegAvi},
                           {"mpeg1.mpg", TestVideoKind::kMpeg1Program},
                           {"mpeg4.avi", TestVideoKind::kMpeg4Avi},
                           {"mjpeg.mkv", TestVideoKind::kMjpegMatroska}};

Bytes SampleBytes(const Sample& sample) {
    video::TestVideoSpec spec;
    spec.kind = sample.kind;
    spec.width = 128;  // the page refuses pictures below 100 x 100
    spec.height = 112;
    spec.pictures = video::CountingPictures(12);
    return video::testing::ReadBytes(video::testing::MakeVideo(sample.name, spec));
}

// Reads up to limit frames; each must be exactly the block its size promises.
int ReadFrames(video::VideoDecoder& decoder, int limit) {
    video::BgrFrame frame;
    int frames = 0;
    while (frames < limit && decoder.ReadFrame(frame) == DecodeStatus::kFrame) {
        EXPECT_EQ(frame.width, decoder.Width());
        EXPECT_EQ(frame.height, decoder.Height());
        EXPECT_EQ(frame.bytes.size(), static_cast<size_t>(frame.stride) * frame.height);
        fuzz::TouchBytes(frame.bytes.data(), frame.bytes.size());
        ++frames;
    }
    return frames;
}

// Opens the bytes from memory and plays them the way the player does: all frames, then a seek
// to the middle and a few more. Returns the frames of the first pass (-1: did not open).
int PlayFromMemory(const Bytes& bytes) {
    video::VideoDecoder decoder;
    decoder.SetCallTimeLimit(std::chrono::seconds(10));
    std::string error;
    if (!decoder.OpenMemory(bytes, &error))
        return -1;
    const int frames = ReadFrames(decoder, 100);
    const TimeFormat format =
        decoder.HasFrameTimeFormat() ? TimeFormat::kFrames : TimeFormat::kMediaTime;
    if (decoder.IsSeekable() && decoder.SeekTo(decoder.Duration(format) / 2, format))
        ReadFrames(decoder, 3);
    return frames;
}

TEST(BrokenVideo, GoodSamplesPlayWhole) {
    for (const Sample& sample : kSamples)
        EXPECT_EQ(PlayFromMemory(SampleBytes(sample)), 12) << sample.name;
}

TEST(BrokenVideo, CutAndFlippedCopiesPlayWhatTheyHold) {
    int tried = 0;
    for (const Sample& sample : kSamples) {
        const Bytes good = SampleBytes(sample);
        for (const DamagedFile& damaged : AllDamage(good, 8)) {
            const int frames = PlayFromMemory(damaged.bytes);
            EXPECT_LE(frames, 100) << sample.name << ", " << damaged.what;
            ++tried;
        }
    }
    RecordProperty("inputs", tried);
}

TEST(BrokenVideo, VideoCutInTheMiddleDescribesAndExtractsWhatItHolds) {
    int described = 0;
    for (const Sample& sample : kSamples) {
        const Bytes good = SampleBytes(sample);
        const Bytes half(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
        const std::string path = video::testing::ScratchFolder() + "/cut-" + sample.name;
        video::testing::WriteBytes(path, half);

        CollectingMessageSink messages;
        video::VideoInfo info;
        if (!video::DescribeVideo(path, info, messages)) {
            EXPECT_FALSE(messages.messages.empty()) << sample.name;
            continue;
        }
        EXPECT_EQ(info.width, 128) << sample.name;
        ++described;

        const std::string folder = video::testing::ScratchFolder() + "/out-" + sample.name;
        fs::create_directories(folder);
        const video::ExtractionReport report = video::ExtractFramesAt(
            path, 3, info.timeFormat == TimeFormat::kNone ? TimeFormat::kFrames : info.timeFormat,
            {folder, 5, false}, messages);
        // Every file reported written is there; nothing else is.
        EXPECT_TRUE(report.failedFiles.empty()) << sample.name;
        size_t files = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            (void)entry;
            ++files;
        }
        EXPECT_EQ(files, report.writtenFiles.size()) << sample.name;
    }
    // Half of a file still holds frames the page loads.
    EXPECT_GE(described, 2);
}

}  // namespace
}  // namespace lumivex::robustness
