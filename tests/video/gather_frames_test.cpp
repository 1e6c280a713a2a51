#include "video/gather_frames.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/video/video_fixtures.h"
#include "video/debug_message.h"
#include "video/grabbing_path.h"

namespace lumivex::video {
namespace {

struct Gathering {
    GatherResult result;
    std::vector<std::unique_ptr<RgbImage>> slots;
    std::vector<int32_t> pictures;  // the test picture of every kept frame, -1 for an empty slot
    CollectingMessageSink messages;
};

Gathering Gather(const std::string& path, int32_t wanted, int64_t reference,
                 TimeFormat format = TimeFormat::kFrames) {
    Gathering g;
    for (int32_t i = 0; i < wanted; ++i) {
        g.slots.push_back(std::make_unique<RgbImage>());
    }
    g.result = GatherFrames(path, wanted, reference, format, g.slots, g.messages);
    for (int32_t i = 0; i < g.result.gathered; ++i) {
        const RgbImage& slot = *g.slots[i];
        g.pictures.push_back(slot.IsEmpty() ? -1
                                            : ReadTestPicture(slot.Bits(), slot.Width(),
                                                              slot.Height(), slot.Stride()));
    }
    return g;
}

std::vector<int32_t> Range(int32_t first, int32_t last) {
    std::vector<int32_t> values;
    for (int32_t v = first; v <= last; ++v) {
        values.push_back(v);
    }
    return values;
}

// Wanted 5 at frame 10 gives the frames 8 ... 12 with the reference third, in every container
// and codec, including those that reorder frames.
TEST(GatherFrames, FiveAroundPositionTenInEveryKindOfFile) {
    for (const std::string& path : {testing::Mpeg1Video(), testing::Mpeg2InterlacedVideo(),
                                    testing::MjpegVideo(), testing::Mpeg4Video()}) {
        const Gathering g = Gather(path, 5, 10);
        EXPECT_TRUE(g.result.ok) << path;
        EXPECT_EQ(g.result.gathered, 5) << path;
        EXPECT_EQ(g.result.referenceIndex, 2) << path;
        EXPECT_EQ(g.pictures, Range(8, 12)) << path;
        EXPECT_TRUE(g.messages.messages.empty());
    }
}

TEST(GatherFrames, StartsAtPositionOneNearTheBeginning) {
    // The estimate matches the reference only from position 1 on: at 0 no frame matches.
    const std::pair<int64_t, int32_t> cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}};
    for (const auto& [reference, index] : cases) {
        const Gathering g = Gather(testing::Mpeg1Video(), 5, reference);
        EXPECT_EQ(g.pictures, Range(1, 5)) << reference;
        EXPECT_EQ(g.result.referenceIndex, index) << reference;
    }
}

TEST(GatherFrames, HalfTheRunLiesBeforeTheReference) {
    Gathering g = Gather(testing::Mpeg4Video(), 4, 10);
    EXPECT_EQ(g.pictures, Range(9, 12));
    EXPECT_EQ(g.result.referenceIndex, 1);
    g = Gather(testing::Mpeg4Video(), 1, 10);
    EXPECT_EQ(g.pictures, Range(10, 10));
    EXPECT_EQ(g.result.referenceIndex, 0);
}

// Media time steps by a thirtieth of a second: start 9,333,334 for reference 10,000,000, and the
// estimate that lands on the reference marks the third kept frame.
TEST(GatherFrames, MediaTimeStepsByAThirtiethOfASecond) {
    const Gathering g = Gather(testing::MjpegVideo(), 5, 10'000'000, TimeFormat::kMediaTime);
    EXPECT_TRUE(g.result.ok);
    EXPECT_EQ(g.pictures, Range(23, 27));  // 0.9333 s falls in frame 23 at 25 frames a second
    EXPECT_EQ(g.result.referenceIndex, 2);
}

// Frames 9 and 10 show the same picture: the repeat is skipped, the reference index moves to the
// kept copy, and one more frame after the range fills the run.
TEST(GatherFrames, SkipsARepeatedFrameAndTakesOneMore) {
    const Gathering g = Gather(testing::RepeatedFramesVideo(), 5, 10);
    EXPECT_EQ(g.pictures, Range(8, 12));
    EXPECT_EQ(g.result.referenceIndex, 1);
}

TEST(GatherFrames, StillSequenceGivesOneFrameAndGivesUp) {
    const std::string path = testing::MakeVideo(
        "still.avi", {TestVideoKind::kMjpegAvi, 128, 112, 25, std::vector<int32_t>(40, 77)});
    const Gathering g = Gather(path, 5, 10);
    EXPECT_TRUE(g.result.ok);
    EXPECT_EQ(g.pictures, std::vector<int32_t>{77});
    EXPECT_EQ(g.result.referenceIndex, 0);
}

// 30 frames, 0 ... 29, duration 30. The rounds after the end of the stream deliver nothing and
// count as repeats, so at the last position (the duration) the reference is the last frame.
// Past the end nothing is decoded: one gathered slot that stays empty, which callers refuse.
TEST(GatherFrames, StopsAtTheEndOfTheVideo) {
    const struct {
        int64_t reference;
        std::vector<int32_t> pictures;
        int32_t referenceIndex;
    } cases[] = {
        {29, Range(27, 29), 2}, {30, Range(28, 29), 1}, {31, Range(29, 29), 0}, {500, {-1}, 0}};
    for (const auto& c : cases) {
        const Gathering g = Gather(testing::MjpegVideo(), 5, c.reference);
        EXPECT_TRUE(g.result.ok) << c.reference;
        EXPECT_EQ(g.pictures, c.pictures) << c.reference;
        EXPECT_EQ(g.result.referenceIndex, c.referenceIndex) << c.reference;
    }
}

// Real 50-frame videos of each kind gathered at position 50: the reference is the last frame,
// pixel for pixel as the ffmpeg program decodes it (references in tests/data/video).
TEST(GatherFrames, AtTheLastPositionTheLastFrameIsTheReference) {
    const std::string data = std::string(LUMIVEX_TEST_DATA) + "/video/";
    for (const std::string name : {"mjpeg_100x96.avi", "mpeg1_100x96.mpg", "b_mpeg4_100x100.avi"}) {
        const Gathering g = Gather(data + name, 5, 50);
        ASSERT_EQ(g.result.gathered, 2) << name;
        ASSERT_EQ(g.result.referenceIndex, 1) << name;
        int32_t width = 0;
        int32_t height = 0;
        const std::vector<uint8_t> last = testing::BmpPixels(
            data + name.substr(0, name.rfind('.')) + "_frame49.bmp", width, height);
        const RgbImage& reference = *g.slots[1];
        ASSERT_EQ(size_t(reference.Stride()) * reference.Height(), last.size()) << name;
        EXPECT_EQ(0, std::memcmp(reference.Bits(), last.data(), last.size())) << name;
        EXPECT_NE(0, std::memcmp(g.slots[0]->Bits(), last.data(), last.size())) << name;
    }
}

TEST(GatherFrames, AudioOnlyOrGarbageCannotBeConnected) {
    const std::string data = std::string(LUMIVEX_TEST_DATA) + "/video/";
    for (const std::string& path : {data + "b_audio_only.mpg", data + "b_garbage_named_avi.avi",
                                    testing::ScratchFolder() + "/nothing.mpg"}) {
        const Gathering g = Gather(path, 5, 10);
        EXPECT_FALSE(g.result.ok) << path;
        EXPECT_EQ(g.result.gathered, 0);
        EXPECT_TRUE(g.messages.messages.empty());
    }
}

// The stream breaks off inside the run: what was decoded before the cut is kept, nothing hangs.
TEST(GatherFrames, TruncatedFileEndsTheRun) {
    std::vector<uint8_t> bytes = testing::ReadBytes(testing::Mpeg4Video());
    bytes.resize(bytes.size() / 2);
    GrabbingPath path;
    ASSERT_TRUE(path.ConnectMemory(bytes));
    std::vector<std::unique_ptr<RgbImage>> slots;
    for (int i = 0; i < 30; ++i) {
        slots.push_back(std::make_unique<RgbImage>());
    }
    CollectingMessageSink messages;
    const GatherResult result =
        GatherFramesFrom(path, 30, 30, TimeFormat::kFrames, slots, messages);
    EXPECT_TRUE(result.ok);
    EXPECT_LT(result.gathered, 30);
}

TEST(GatherFrames, RefusesNonsenseArguments) {
    std::vector<std::unique_ptr<RgbImage>> slots(2);
    CollectingMessageSink messages;
    EXPECT_FALSE(
        GatherFrames(testing::MjpegVideo(), 0, 5, TimeFormat::kFrames, slots, messages).ok);
    EXPECT_FALSE(
        GatherFrames(testing::MjpegVideo(), 3, 5, TimeFormat::kFrames, slots, messages).ok);
    slots.resize(3);
    for (auto& slot : slots) {
        slot = std::make_unique<RgbImage>();
    }
    const GatherResult far =
        GatherFrames(testing::MjpegVideo(), 3, INT64_MIN, TimeFormat::kFrames, slots, messages);
    // A reference far before the start: the run gives up after the first frame.
    EXPECT_TRUE(far.ok);
    EXPECT_EQ(far.gathered, 1);
}

// The sample callback: 24-bit rows are copied, 32-bit rows expanded, other depths reported.
TEST(FrameGrabber, CopiesExpandsOrReportsTheSampleDepth) {
    GrabbingPath path;
    std::vector<std::unique_ptr<RgbImage>> slots;
    slots.push_back(std::make_unique<RgbImage>());
    CollectingMessageSink messages;
    FrameGrabber grabber(path, slots, messages);
    grabber.SetFrameSize(5, 2);

    std::vector<uint8_t> rows24(16 * 2);  // 15 bytes of pixels and 1 of padding per row
    for (size_t i = 0; i < rows24.size(); ++i) {
        rows24[i] = static_cast<uint8_t>(i + 1);
    }
    grabber.BufferCB(0, rows24.data(), static_cast<int32_t>(rows24.size()));
    ASSERT_FALSE(slots[0]->IsEmpty());
    EXPECT_EQ(slots[0]->Width(), 5);
    EXPECT_EQ(0, std::memcmp(slots[0]->Bits(), rows24.data(), rows24.size()));

    std::vector<uint8_t> rows32(5 * 2 * 4);
    for (size_t i = 0; i < rows32.size(); ++i) {
        rows32[i] = static_cast<uint8_t>(100 + i);
    }
    grabber.BufferCB(0, rows32.data(), static_cast<int32_t>(rows32.size()));
    EXPECT_EQ(slots[0]->Row(1)[3], 100 + 24);  // second pixel of the second row: blue byte
    EXPECT_EQ(slots[0]->Row(1)[5], 100 + 26);
    EXPECT_TRUE(messages.messages.empty());

    const std::vector<uint8_t> rows16(5 * 2 * 2);
    grabber.BufferCB(0, rows16.data(), static_cast<int32_t>(rows16.size()));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "16 bits per pixel is not supported");
    EXPECT_EQ(messages.captions[0], kDebugMessageCaption);
}

TEST(FrameGrabber, EmptyOrMissingSlotsCountAsEqual) {
    GrabbingPath path;
    std::vector<std::unique_ptr<RgbImage>> slots;
    slots.push_back(std::make_unique<RgbImage>(4, 2, 24));
    slots.push_back(std::make_unique<RgbImage>());
    slots.push_back(nullptr);
    slots.push_back(std::make_unique<RgbImage>(4, 2, 24));
    slots.push_back(std::make_unique<RgbImage>(8, 2, 24));
    std::memset(slots[0]->Bits(), 9, size_t(slots[0]->Stride()) * 2);
    std::memset(slots[3]->Bits(), 9, size_t(slots[3]->Stride()) * 2);
    std::memset(slots[4]->Bits(), 9, size_t(slots[4]->Stride()) * 2);
    CollectingMessageSink messages;
    FrameGrabber grabber(path, slots, messages);
    EXPECT_TRUE(grabber.FramesEqual(0, 1));
    EXPECT_TRUE(grabber.FramesEqual(2, 0));
    EXPECT_TRUE(grabber.FramesEqual(0, 3));
    EXPECT_FALSE(grabber.FramesEqual(0, 4));
    slots[3]->Row(1)[11] = 10;
    EXPECT_FALSE(grabber.FramesEqual(0, 3));
}

}  // namespace
}  // namespace lumivex::video
