#include "job/input_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/rgb_image.h"
#include "image/save_image.h"
#include "job/job.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;

// A 24-bit picture whose pixel (x, y) holds blue = x mod 256, green = x / 256, red = y mod 256,
// so every member's columns can be traced back to the file's.
RgbImage ColumnPicture(int32_t width, int32_t height) {
    RgbImage image(width, height, 24);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            image.WritePixelColour(x, y, MakeColour(static_cast<uint8_t>(y), x / 256, x % 256));
        }
    }
    return image;
}

class InputSetTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumivex_inputset_XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Save(const std::string& name, const RgbImage& image) {
        const std::string path = folder_ + "/" + name;
        std::string error;
        EXPECT_TRUE(SaveImageToPath(image, path, &error)) << error;
        return path;
    }
    std::string SavePicture(const std::string& name, int32_t width, int32_t height) {
        return Save(name, ColumnPicture(width, height));
    }

    EnhanceJob job_;
    CollectingMessageSink messages_;
    std::string folder_;
};

TEST_F(InputSetTest, WidthsRoundDownToAMultipleOfFourAndCropBothEdges) {
    const std::string a = SavePicture("a.bmp", 641, 48);
    const std::string b = SavePicture("b.bmp", 642, 48);
    const std::string c = SavePicture("c.bmp", 644, 48);
    EXPECT_TRUE(AddImageFile(job_, a, messages_));
    EXPECT_TRUE(AddImageFile(job_, b, messages_));
    EXPECT_FALSE(AddImageFile(job_, c, messages_));
    EXPECT_EQ(messages_.messages,
              std::vector<std::string>{"Sorry, the input images should have same dimension."});
    ASSERT_EQ(job_.FrameCount(), 2);
    EXPECT_EQ(job_.names, (std::vector<std::string>{a, b}));
    EXPECT_EQ(job_.width, 640);
    EXPECT_EQ(job_.height, 48);
    EXPECT_EQ(job_.referenceIndex, 0);
    EXPECT_EQ(job_.inputKind, kInputImageSet);
    for (const auto& frame : job_.frames) {
        EXPECT_EQ(frame->Width(), 640);
        EXPECT_EQ(frame->BitsPerPixel(), 24);
        EXPECT_EQ(frame->Stride(), 640 * 3);
    }
    // One dropped column goes to the right edge; two are shared, one on each side.
    EXPECT_EQ(ColourBlue(job_.frames[0]->ReadPixelColour(0, 5)), 0);
    EXPECT_EQ(ColourBlue(job_.frames[0]->ReadPixelColour(639, 5)), 639 % 256);
    EXPECT_EQ(ColourBlue(job_.frames[1]->ReadPixelColour(0, 5)), 1);
    EXPECT_EQ(ColourBlue(job_.frames[1]->ReadPixelColour(639, 5)), 640 % 256);
    EXPECT_EQ(ColourRed(job_.frames[1]->ReadPixelColour(7, 5)), 5);
}

TEST_F(InputSetTest, PalettePicturesBecomeTwentyFourBits) {
    RgbImage palette(10, 6, 8);
    const uint8_t entries[] = {10, 20, 30, 0, 200, 100, 50, 0};  // blue, green, red, 0
    palette.LoadPaletteEntries(entries, 2);
    for (int32_t y = 0; y < 6; ++y) {
        for (int32_t x = 0; x < 10; ++x) {
            palette.WritePixelIndex(x, y, (x + y) % 2);
        }
    }
    ASSERT_TRUE(AddImageFile(job_, Save("palette.bmp", palette), messages_));
    const RgbImage& member = *job_.frames[0];
    EXPECT_EQ(member.BitsPerPixel(), 24);
    EXPECT_EQ(member.Width(), 8);
    // Two columns dropped, one on each side: member column x is file column x + 1.
    EXPECT_EQ(member.ReadPixelColour(0, 0), MakeColour(50, 100, 200));
    EXPECT_EQ(member.ReadPixelColour(1, 0), MakeColour(30, 20, 10));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(InputSetTest, UnreadableFilesAreSkippedAndTheRestGoOn) {
    const std::string jpeg = Save("real.jpg", ColumnPicture(64, 40));
    const std::string disguised = folder_ + "/disguised.BMP";
    fs::copy_file(jpeg, disguised);
    const std::string gif = folder_ + "/picture.gif";
    fs::copy_file(jpeg, gif);
    const std::string upper = folder_ + "/UPPER.JPEG";
    fs::copy_file(jpeg, upper);

    EXPECT_FALSE(AddImageFile(job_, disguised, messages_));  // the BMP codec refuses it silently
    EXPECT_FALSE(AddImageFile(job_, folder_ + "/missing.jpg", messages_));
    EXPECT_FALSE(AddImageFile(job_, folder_, messages_));
    EXPECT_TRUE(messages_.messages.empty());
    EXPECT_EQ(job_.inputKind, kInputImageSet);
    EXPECT_EQ(job_.FrameCount(), 0);
    EXPECT_EQ(job_.width, -1);

    EXPECT_TRUE(AddImageFile(job_, jpeg, messages_));
    EXPECT_FALSE(AddImageFile(job_, gif, messages_));
    EXPECT_TRUE(AddImageFile(job_, upper, messages_));
    EXPECT_EQ(messages_.messages, std::vector<std::string>{"Unknown file format"});
    EXPECT_EQ(job_.FrameCount(), 2);
    EXPECT_EQ(job_.frames[1]->Width(), 64);
}

TEST_F(InputSetTest, TheFirstPictureDecidesTheSize) {
    EXPECT_TRUE(AddImageFile(job_, SavePicture("big.bmp", 80, 60), messages_));
    EXPECT_FALSE(AddImageFile(job_, SavePicture("small1.bmp", 64, 48), messages_));
    EXPECT_FALSE(AddImageFile(job_, SavePicture("small2.bmp", 64, 48), messages_));
    // Same rounded width, other height.
    EXPECT_FALSE(AddImageFile(job_, SavePicture("short.bmp", 80, 59), messages_));
    EXPECT_EQ(job_.FrameCount(), 1);
    EXPECT_EQ(messages_.messages.size(), 3u);
    EXPECT_EQ(job_.width, 80);
    EXPECT_EQ(job_.height, 60);
    EXPECT_EQ(job_.referenceIndex, 0);
}

TEST_F(InputSetTest, AddImageTakesPicturesFromMemory) {
    RgbImage frame = ColumnPicture(99, 20);
    EXPECT_TRUE(AddImage(job_, frame, "Frame 7", messages_));
    EXPECT_TRUE(frame.IsEmpty());
    EXPECT_EQ(job_.width, 96);
    EXPECT_TRUE(AddImage(job_, ColumnPicture(96, 20), "Frame 8", messages_));
    EXPECT_EQ(job_.names, (std::vector<std::string>{"Frame 7", "Frame 8"}));

    // Pictures that cannot become members are refused without a message.
    EnhanceJob other;
    EXPECT_FALSE(AddImage(other, RgbImage(), "empty", messages_));
    EXPECT_FALSE(AddImage(other, ColumnPicture(3, 20), "too narrow", messages_));
    EXPECT_FALSE(AddImage(other, std::unique_ptr<RgbImage>(), "null", messages_));
    EXPECT_EQ(other.FrameCount(), 0);
    EXPECT_EQ(other.referenceIndex, -1);
    EXPECT_TRUE(messages_.messages.empty());
}

TEST(InputSetNameTest, PictureExtensionsChooseAnImageSet) {
    EXPECT_TRUE(IsImageSetFileName("/a/b.JPG"));
    EXPECT_TRUE(IsImageSetFileName("x.jpeg"));
    EXPECT_TRUE(IsImageSetFileName("x.Bmp"));
    EXPECT_FALSE(IsImageSetFileName("clip.avi"));
    EXPECT_FALSE(IsImageSetFileName("/a.jpg/noext"));
}

}  // namespace
}  // namespace lumivex
