// Streams, codec choice by extension, and saving/reading pictures by path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "image/image_codec.h"
#include "image/image_stream.h"
#include "image/read_image.h"
#include "image/save_image.h"
#include "tests/image/image_test_util.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;

class TempFolder : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "lumivex-image-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
    // Names in the folder other than the given ones (left-over temporary files).
    std::vector<std::string> Strays(const std::vector<std::string>& expected) const {
        std::vector<std::string> strays;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            const std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) {
                strays.push_back(name);
            }
        }
        return strays;
    }

    fs::path folder_;
};

// Reading and writing choose the same codec by the extension of the file name (any case);
// a name whose extension names no format, or that has none, gets no codec either way.
TEST(CodecChoice, FollowsTheExtensionCaseInsensitively) {
    const struct {
        const char* path;
        const char* format;  // nullptr: no codec
    } cases[] = {
        {"a/b/result.bmp", "bmp"},   {"result.BMP", "bmp"},     {"x.JpG", "jpeg"},
        {"x.jpeg", "jpeg"},          {"photo.png", "png"},      {"scan.TIF", "tiff"},
        {"scan.tiff", "tiff"},       {"anim.gif", nullptr},     {"result", nullptr},
        {"dir.jpg/result", nullptr}, {"trailingdot.", nullptr}, {"x.tiff.gz", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        for (const auto& codec : {CodecForReading(c.path), CodecForWriting(c.path)}) {
            if (c.format == nullptr) {
                EXPECT_EQ(codec, nullptr);
            } else {
                ASSERT_NE(codec, nullptr);
                EXPECT_STREQ(codec->FormatName(), c.format);
            }
        }
    }
    EXPECT_STREQ(CodecForReading("x.jpeg")->DefaultExtension(), ".jpg");
    EXPECT_STREQ(WritableFormatsText(),
                 "BMP (.bmp), JPEG (.jpg, .jpeg), PNG (.png), TIFF (.tif, .tiff)");
}

TEST(MemoryImageStream, ReadsSeeksAndWritesLikeAFile) {
    MemoryImageStream s(std::vector<uint8_t>{1, 2, 3});
    uint8_t buffer[8];
    EXPECT_EQ(s.Read(buffer, 8), 3);
    EXPECT_EQ(s.ReadByte(), -1);
    EXPECT_EQ(s.Read(buffer, 1), 0);
    EXPECT_FALSE(s.Seek(-4, SeekOrigin::kCurrent));
    EXPECT_TRUE(s.Seek(-1, SeekOrigin::kEnd));
    EXPECT_EQ(s.ReadByte(), 3);
    EXPECT_TRUE(s.Seek(1, SeekOrigin::kBegin));
    EXPECT_TRUE(s.WriteByte(9));
    EXPECT_TRUE(s.Truncate());
    EXPECT_EQ(s.Data(), (std::vector<uint8_t>{1, 9}));
    EXPECT_TRUE(s.Seek(4, SeekOrigin::kBegin));
    EXPECT_EQ(s.Write(buffer, 1), 1);
    EXPECT_EQ(s.Size(), 5);
}

TEST_F(TempFolder, FileStreamMapsOntoTheFile) {
    FileImageStream s;
    EXPECT_FALSE(s.Open(PathOf("missing"), FileImageStream::Mode::kReadExisting));
    EXPECT_EQ(s.Error(), ENOENT);
    EXPECT_FALSE(s.IsOpen());
    ASSERT_TRUE(s.Open(PathOf("f"), FileImageStream::Mode::kWriteAlwaysCreate));
    EXPECT_EQ(s.Write("abcdef", 6), 6);
    EXPECT_TRUE(s.Seek(-2, SeekOrigin::kCurrent));
    EXPECT_EQ(s.Tell(), 4);
    EXPECT_TRUE(s.Truncate());
    EXPECT_TRUE(s.Flush());
    EXPECT_EQ(s.Size(), 4);
    EXPECT_TRUE(s.Close());
    ASSERT_TRUE(s.Open(PathOf("f"), FileImageStream::Mode::kReadExisting));
    char text[8] = {};
    EXPECT_EQ(s.Read(text, 8), 4);
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(s.ReadByte(), -1);
    EXPECT_EQ(s.Write("x", 1), 0);  // read-only
    EXPECT_FALSE(s.Open(folder_.string(), FileImageStream::Mode::kReadExisting));
    EXPECT_EQ(s.Error(), EISDIR);
}

TEST_F(TempFolder, SavesAndReadsBackThroughTheCodecOfTheExtension) {
    const RgbImage image = test::Gradient(13, 7);
    std::string error;
    RgbImage back;
    ImageFileFacts facts;
    for (const char* name : {"out.BMP", "out.png", "out.tif"}) {
        ASSERT_TRUE(SaveImageToPath(image, PathOf(name), &error)) << error;
        ASSERT_TRUE(ReadImageFile(PathOf(name), back, &error, &facts)) << error;
        EXPECT_EQ(facts.format, CodecForWriting(name)->FormatName());
        EXPECT_EQ(test::TopDownRgb(back), test::TopDownRgb(image));
    }
    // The content does not choose the codec: PNG data under another name is not read.
    fs::rename(PathOf("out.png"), PathOf("out.gif"));
    EXPECT_FALSE(ReadImageFile(PathOf("out.gif"), back, &error));
    EXPECT_EQ(error, "Unknown file format");
    EXPECT_TRUE(Strays({"out.BMP", "out.gif", "out.tif"}).empty());

    EXPECT_FALSE(ReadImageFile(PathOf("none.bmp"), back, &error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_TRUE(back.IsEmpty());
}

// Reading tells the depth the file stores, whatever depth the picture is read into.
TEST(ReadImageFile, TellsTheFilesOwnDepth) {
    const std::pair<const char*, int32_t> cases[] = {
        {"bmp/g/pal1.bmp", 1},           {"bmp/g/pal4rle.bmp", 4},
        {"bmp/g/rgb16-565.bmp", 16},     {"bmp/g/rgb32.bmp", 32},
        {"jpeg/m_grey.jpg", 8},          {"jpeg/m_cmyk_adobe.jpg", 32},
        {"jpeg/m_progressive.jpg", 24},  {"png/pil_palette4.png", 4},
        {"png/pil_grey_alpha8.png", 16}, {"png/im_rgb16.png", 48},
        {"png/im_rgba16.png", 64},       {"tiff/pil_grey8_deflate.tif", 8},
        {"tiff/pil_palette8.tif", 8},    {"tiff/im_rgba16_deflate.tif", 64}};
    for (const auto& [name, bits] : cases) {
        RgbImage image;
        std::string error;
        ImageFileFacts facts;
        ASSERT_TRUE(ReadImageFile(test::DataPath(name), image, &error, &facts)) << name << error;
        EXPECT_EQ(facts.fileBitsPerPixel, bits) << name;
    }
}

// A save into a FIFO that nobody reads stops as soon as it is abandoned (a signal), however late
// that comes: it never sits in a blocking open. Should it still wait after five seconds, a reader
// lets it finish, and the test fails instead of hanging.
TEST_F(TempFolder, AnAbandonedSaveStopsWaitingForAFifoReader) {
    const std::string fifo = PathOf("out.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> abandon{false}, returned{false};
    AbandonSavesWhen(&abandon);
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        abandon = true;
        for (int waited = 0; waited < 500 && !returned; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!returned) {
            const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
            while (!returned)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ::close(reader);
        }
    });
    std::string error;
    const bool saved = SaveImageToPath(test::Gradient(8, 8), fifo, &error);
    returned = true;
    later.join();
    AbandonSavesWhen(nullptr);
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("interrupted"), std::string::npos) << error;
}

TEST_F(TempFolder, AFailedSaveLeavesTheOldFileAndNoTemporary) {
    const std::string target = PathOf("keep.bmp");
    { std::ofstream(target) << "old content"; }
    std::string error;
    EXPECT_FALSE(SaveImageToPath(RgbImage(), target, &error));
    EXPECT_NE(error.find("empty"), std::string::npos);

    // A folder in the way: the rename fails after a complete write.
    fs::create_directory(PathOf("dir.bmp"));
    EXPECT_FALSE(SaveImageToPath(test::Gradient(4, 4), PathOf("dir.bmp"), &error));
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(PathOf("dir.bmp")));

    EXPECT_FALSE(SaveImageToPath(test::Gradient(4, 4), PathOf("no/such/folder.bmp"), &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    std::ifstream in(target);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "old content");
    EXPECT_TRUE(Strays({"keep.bmp", "dir.bmp"}).empty());
}

TEST_F(TempFolder, ReplacingAFileKeepsItsPermissions) {
    const std::string target = PathOf("mode.bmp");
    { std::ofstream(target) << "x"; }
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(SaveImageToPath(test::Gradient(2, 2), target, nullptr));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_size, 54 + 8 * 2);

    const mode_t old = ::umask(022);
    ASSERT_TRUE(SaveImageToPath(test::Gradient(2, 2), PathOf("new.bmp"), nullptr));
    ::umask(old);
    ASSERT_EQ(::stat(PathOf("new.bmp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace lumivex
