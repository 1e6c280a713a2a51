#include "video/frame_extraction.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "image/read_image.h"
#include "tests/video/video_fixtures.h"
#include "video/debug_message.h"
#include "video/test_video_writer.h"

namespace lumivex::video {
namespace {

namespace fs = std::filesystem;

class FrameExtraction : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = testing::ScratchFolder() + "/extract-" + info->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The test picture a written file shows, and its size.
    int32_t PictureIn(const std::string& name, int32_t* width = nullptr,
                      int32_t* height = nullptr) const {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(ReadImageFile(folder_ + "/" + name, image, &error)) << name << error;
        if (image.IsEmpty()) {
            return -1;
        }
        if (width != nullptr) {
            *width = image.Width();
            *height = image.Height();
        }
        return ReadTestPicture(image.Bits(), image.Width(), image.Height(), image.Stride());
    }

    std::string folder_;
    CollectingMessageSink messages_;
};

TEST_F(FrameExtraction, FiveWholeFramesAroundPositionTen) {
    const ExtractionReport report = ExtractFramesAt(testing::Mpeg1Video(), 10, TimeFormat::kFrames,
                                                    {folder_, 5, false}, messages_);
    EXPECT_EQ(report.framesWritten, 5);
    EXPECT_EQ(Files(), (std::vector<std::string>{"LMVX 000.bmp", "LMVX 001.bmp", "LMVX 002ref.bmp",
                                                 "LMVX 003.bmp", "LMVX 004.bmp"}));
    EXPECT_EQ(PictureIn("LMVX 000.bmp"), 8);
    EXPECT_EQ(PictureIn("LMVX 002ref.bmp"), 10);
    EXPECT_EQ(PictureIn("LMVX 004.bmp"), 12);
    ASSERT_EQ(messages_.messages.size(), 1u);
    EXPECT_EQ(messages_.messages[0], "5 video frames have been extracted to " + folder_ + ".");
    EXPECT_EQ(messages_.captions[0], "");
}

TEST_F(FrameExtraction, FourFramesPutTheReferenceSecond) {
    ExtractFramesAt(testing::MjpegVideo(), 10, TimeFormat::kFrames, {folder_ + "/", 4, false},
                    messages_);
    EXPECT_EQ(Files(), (std::vector<std::string>{"LMVX 000.bmp", "LMVX 001ref.bmp", "LMVX 002.bmp",
                                                 "LMVX 003.bmp"}));
    EXPECT_EQ(PictureIn("LMVX 001ref.bmp"), 10);
}

// An interlaced 720 x 576 video gives ten field files of 720 x 288: the first field holds the
// frame's even stored rows (counted from the bottom line), the second its odd ones.
TEST_F(FrameExtraction, SeparateFieldsOfAnInterlacedVideo) {
    const ExtractionReport report = ExtractFramesAt(
        testing::Mpeg2InterlacedVideo(), 10, TimeFormat::kFrames, {folder_, 5, true}, messages_);
    EXPECT_EQ(report.framesWritten, 5);
    const std::vector<std::string> files = Files();
    ASSERT_EQ(files.size(), 10u);
    EXPECT_EQ(files[0], "LMVX 000a.bmp");
    EXPECT_EQ(files[1], "LMVX 000b.bmp");
    EXPECT_EQ(files[4], "LMVX 002refa.bmp");
    for (const std::string& name : files) {
        int32_t width = 0;
        int32_t height = 0;
        const int32_t picture = PictureIn(name, &width, &height);
        EXPECT_EQ(width, 720);
        EXPECT_EQ(height, 288);
        EXPECT_EQ(picture, 8 + (name[7] - '0')) << name;
    }
}

// The fields are the frame's rows, in order: checked byte for byte on a picture of odd height,
// whose last stored row goes into neither field.
TEST_F(FrameExtraction, FieldFilesHoldTheFrameRowsExactly) {
    std::vector<std::unique_ptr<RgbImage>> slots;
    slots.push_back(std::make_unique<RgbImage>(8, 7, 24));
    RgbImage& frame = *slots[0];
    for (int32_t y = 0; y < 7; ++y) {
        std::memset(frame.Row(y), 10 + y, frame.Stride());
    }
    const ExtractionReport report = WriteExtractedFrames(slots, 1, 0, {folder_, 1, true});
    EXPECT_EQ(report.framesWritten, 1);
    const int expected[2][3] = {{10, 12, 14}, {11, 13, 15}};
    const char* names[2] = {"LMVX 000refa.bmp", "LMVX 000refb.bmp"};
    for (int f = 0; f < 2; ++f) {
        RgbImage field;
        ASSERT_TRUE(ReadImageFile(folder_ + "/" + names[f], field, nullptr));
        ASSERT_EQ(field.Height(), 3);
        for (int32_t y = 0; y < 3; ++y) {
            EXPECT_EQ(field.Row(y)[0], expected[f][y]) << names[f] << y;
        }
    }
}

TEST_F(FrameExtraction, ThirtyFramesNearTheStart) {
    const ExtractionReport report = ExtractFramesAt(testing::Mpeg1Video(), 2, TimeFormat::kFrames,
                                                    {folder_, 30, false}, messages_);
    EXPECT_EQ(report.framesWritten, 30);
    EXPECT_EQ(PictureIn("LMVX 000.bmp"), 1);
    EXPECT_EQ(PictureIn("LMVX 001ref.bmp"), 2);
    EXPECT_EQ(PictureIn("LMVX 029.bmp"), 30);
}

TEST_F(FrameExtraction, RepeatedFrameIsNotWrittenAndNumberingStaysContiguous) {
    ExtractFramesAt(testing::RepeatedFramesVideo(), 10, TimeFormat::kFrames, {folder_, 5, false},
                    messages_);
    EXPECT_EQ(Files(), (std::vector<std::string>{"LMVX 000.bmp", "LMVX 001ref.bmp", "LMVX 002.bmp",
                                                 "LMVX 003.bmp", "LMVX 004.bmp"}));
    EXPECT_EQ(PictureIn("LMVX 002.bmp"), 10);
    EXPECT_EQ(PictureIn("LMVX 004.bmp"), 12);
}

// Files that cannot be created are named after the count, which is the frames gathered.
TEST_F(FrameExtraction, UnwritableFolderIsReported) {
    const std::string missing = folder_ + "/no/such/folder";
    const ExtractionReport report = ExtractFramesAt(testing::MjpegVideo(), 10, TimeFormat::kFrames,
                                                    {missing, 3, true}, messages_);
    EXPECT_EQ(report.gathered, 3);
    EXPECT_EQ(report.framesWritten, 0);
    EXPECT_EQ(report.failedFiles.size(), 6u);
    ASSERT_EQ(messages_.messages.size(), 1u);
    const std::string& text = messages_.messages[0];
    EXPECT_EQ(text.rfind("3 video frames have been extracted to " + missing + ".\n\n", 0), 0u);
    EXPECT_NE(text.find("6 files could not be written:"), std::string::npos);
    EXPECT_NE(text.find(missing + "/LMVX 001refa.bmp"), std::string::npos);
    EXPECT_TRUE(Files().empty());
}

TEST_F(FrameExtraction, NothingGatheredNothingWritten) {
    const std::string audio = std::string(LUMIVEX_TEST_DATA) + "/video/b_audio_only.mpg";
    const ExtractionReport report =
        ExtractFramesAt(audio, 10, TimeFormat::kFrames, {folder_, 5, true}, messages_);
    EXPECT_FALSE(report.gatheredFrames);
    ASSERT_EQ(messages_.messages.size(), 1u);
    EXPECT_EQ(messages_.messages[0], kCannotExtractText);
    EXPECT_EQ(messages_.captions[0], kDebugMessageCaption);
    // Past the end of a video: the run is empty, which is the same failure.
    ExtractFramesAt(testing::MjpegVideo(), 400, TimeFormat::kFrames, {folder_, 5, true}, messages_);
    ASSERT_EQ(messages_.messages.size(), 2u);
    EXPECT_EQ(messages_.messages[1], kCannotExtractText);
    // A count outside 1 ... 30 does nothing.
    EXPECT_FALSE(ExtractFramesAt(testing::MjpegVideo(), 10, TimeFormat::kFrames,
                                 {folder_, 31, true}, messages_)
                     .gatheredFrames);
    EXPECT_TRUE(Files().empty());
}

TEST(ExtractionNames, BaseNamesAndFolders) {
    EXPECT_EQ(ExtractedBaseName(0, false), "LMVX 000");
    EXPECT_EQ(ExtractedBaseName(2, true), "LMVX 002ref");
    EXPECT_EQ(ExtractedBaseName(1234, false), "LMVX 1234");
    EXPECT_EQ(JoinPath("/tmp/out", "a.bmp"), JoinPath("/tmp/out/", "a.bmp"));
}

}  // namespace
}  // namespace lumivex::video
