// Saving when the disk or the folder refuses: the old file stays exactly as it was, no partial
// or temporary file is left behind, and the error says why.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/read_image.h"
#include "image/rgb_image.h"
#include "image/save_image.h"
#include "tests/robustness/fault_injection.h"

namespace lumivex::robustness {
namespace {

namespace fs = std::filesystem;

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("lumivex-save-faults-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        old_ = (folder_ / "picture.bmp").string();
        RgbImage small(8, 8, 24);
        std::memset(small.Bits(), 0x42, static_cast<size_t>(small.Stride()) * 8);
        ASSERT_TRUE(SaveImageToPath(small, old_, nullptr));
        oldBytes_ = Contents(old_);
        ASSERT_FALSE(oldBytes_.empty());
    }
    void TearDown() override { fs::remove_all(folder_); }

    static std::vector<char> Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Only the old file is in the folder, unchanged.
    void ExpectOldFileAlone() const {
        EXPECT_EQ(Contents(old_), oldBytes_);
        int entries = 0;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            EXPECT_EQ(entry.path().filename(), "picture.bmp");
            ++entries;
        }
        EXPECT_EQ(entries, 1);
    }

    static RgbImage LargePicture() {
        RgbImage image(640, 480, 24);
        for (int32_t y = 0; y < image.Height(); ++y)
            for (int32_t x = 0; x < image.Stride(); ++x)
                image.Row(y)[x] = static_cast<uint8_t>(x ^ y);
        return image;
    }

    fs::path folder_;
    std::string old_;
    std::vector<char> oldBytes_;
};

TEST_F(SaveFaults, FullDiskKeepsTheOldFileAndSaysWhy) {
    const RgbImage picture = LargePicture();
    std::string error;
    bool saved = true;
    {
        FileSizeLimit limit(4096);  // the new picture needs about 900 KB
        saved = SaveImageToPath(picture, old_, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "Cannot write " + old_ + ": " + std::strerror(EFBIG));
    ExpectOldFileAlone();
    // The same save succeeds once there is room again.
    EXPECT_TRUE(SaveImageToPath(picture, old_, &error)) << error;
    RgbImage back;
    ASSERT_TRUE(ReadImageFile(old_, back, &error)) << error;
    EXPECT_EQ(back.Width(), 640);
}

TEST_F(SaveFaults, FullDiskWhileWritingJpegKeepsTheOldFile) {
    const RgbImage picture = LargePicture();
    const std::string jpeg = (folder_ / "picture.jpg").string();
    std::string error;
    bool saved = true;
    {
        FileSizeLimit limit(1024);
        saved = SaveImageToPath(picture, jpeg, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("Cannot write " + jpeg), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(jpeg));
    ExpectOldFileAlone();
}

// No temporary file can be made beside the old one: the complete picture is written over it.
TEST_F(SaveFaults, ReadOnlyFolderWritesTheFileInPlace) {
    const RgbImage picture = LargePicture();
    std::string error;
    bool saved = false;
    {
        LockedFolder lock(folder_);
        if (!lock.Locked())
            GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
        saved = SaveImageToPath(picture, old_, &error);
    }
    EXPECT_TRUE(saved) << error;
    RgbImage back;
    ASSERT_TRUE(ReadImageFile(old_, back, &error)) << error;
    EXPECT_EQ(back.Width(), 640);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(SaveFaults, FolderThatIsAFileOrMissingIsReported) {
    const RgbImage picture = LargePicture();
    std::string error;
    EXPECT_FALSE(SaveImageToPath(picture, old_ + "/inside.bmp", &error));
    EXPECT_EQ(error, "Cannot write " + old_ + "/inside.bmp: " + std::strerror(ENOTDIR));
    const std::string gone = (folder_ / "gone" / "x.bmp").string();
    EXPECT_FALSE(SaveImageToPath(picture, gone, &error));
    EXPECT_EQ(error, "Cannot write " + gone + ": " + std::strerror(ENOENT));
    ExpectOldFileAlone();
}

}  // namespace
}  // namespace lumivex::robustness
