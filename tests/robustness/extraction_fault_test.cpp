// Extraction into a folder that vanishes or refuses some files: the report and the final message
// name exactly the files that were not written, and every file that was written is complete.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/read_image.h"
#include "image/rgb_image.h"
#include "tests/robustness/fault_injection.h"
#include "video/frame_extraction.h"

namespace lumivex::robustness {
namespace {

namespace fs = std::filesystem;

class ExtractionFaults : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = (fs::temp_directory_path() /
                   ("lumivex-extract-" + std::to_string(::getpid()) + "-" + info->name()))
                      .string();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        for (int i = 0; i < 3; ++i) {
            slots_.push_back(std::make_unique<RgbImage>(64, 32, 24));
            std::fill(slots_.back()->Bits(), slots_.back()->Bits() + 64 * 3 * 32,
                      static_cast<uint8_t>(40 * i));
        }
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder_;
    std::vector<std::unique_ptr<RgbImage>> slots_;
};

TEST_F(ExtractionFaults, FolderGoneBeforeWritingNamesEveryFile) {
    fs::remove_all(folder_);
    const video::ExtractionReport report =
        video::WriteExtractedFrames(slots_, 3, 1, {folder_, 3, false});
    EXPECT_EQ(report.framesWritten, 0);
    ASSERT_EQ(report.failedFiles.size(), 3u);
    const std::string message = video::ExtractionMessage(report, folder_);
    EXPECT_NE(message.find("3 files could not be written:"), std::string::npos) << message;
    for (const char* name : {"/LMVX 000.bmp", "/LMVX 001ref.bmp", "/LMVX 002.bmp"})
        EXPECT_NE(message.find(folder_ + name), std::string::npos) << name;
}

TEST_F(ExtractionFaults, FilesThatCannotBeReplacedAreNamedAndTheRestAreWritten) {
    // Something the program cannot replace stands where the last frame goes.
    fs::create_directory(folder_ + "/LMVX 002.bmp");
    const video::ExtractionReport report =
        video::WriteExtractedFrames(slots_, 3, 1, {folder_, 3, false});
    EXPECT_EQ(report.framesWritten, 2);
    ASSERT_EQ(report.failedFiles.size(), 1u);
    EXPECT_EQ(report.failedFiles[0].rfind("Cannot write " + folder_ + "/LMVX 002.bmp", 0), 0u)
        << report.failedFiles[0];
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"LMVX 000.bmp", "LMVX 001ref.bmp", "LMVX 002.bmp"}));
    RgbImage back;
    std::string error;
    ASSERT_TRUE(ReadImageFile(folder_ + "/LMVX 001ref.bmp", back, &error)) << error;
    EXPECT_EQ(back.Row(5)[7], 40);
}

// Files the user may write are replaced in place even when no temporary file can be made beside
// them; nothing else appears in the folder.
TEST_F(ExtractionFaults, ReadOnlyFolderReplacesWritableFilesInPlace) {
    ASSERT_EQ(video::WriteExtractedFrames(slots_, 3, 1, {folder_, 3, true}).framesWritten, 3);
    const std::vector<std::string> before = Names();
    std::fill(slots_[0]->Bits(), slots_[0]->Bits() + 64 * 3 * 32, 200);
    video::ExtractionReport report;
    {
        LockedFolder lock(folder_);
        if (!lock.Locked())
            GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
        report = video::WriteExtractedFrames(slots_, 3, 1, {folder_, 3, true});
    }
    EXPECT_EQ(report.framesWritten, 3);
    EXPECT_TRUE(report.failedFiles.empty());
    EXPECT_EQ(Names(), before);
    RgbImage back;
    std::string error;
    ASSERT_TRUE(ReadImageFile(folder_ + "/LMVX 000a.bmp", back, &error)) << error;
    EXPECT_EQ(back.Row(0)[0], 200);  // the new picture, written over the old file
}

}  // namespace
}  // namespace lumivex::robustness
