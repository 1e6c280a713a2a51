// Saving the enhanced picture: confirmed and written (format by the typed extension), confirmed
// and failed (told why, result still ready, the old file intact), and cancelled.
#include "app/core/enhance_command_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "enhance_test_support.h"
#include "image/message_sink.h"

namespace lumivex {
namespace {

using testing_support::FillJob;
using testing_support::TempFolder;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class EnhanceSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillJob(job_, 32, 24, 1);
        job_.result.CopyFrom(*job_.frames[0]);
        job_.resultReady = true;
    }

    SaveOutcome Save(const std::optional<std::string>& path) {
        const SaveOutcome outcome = WriteChosenImage(job_.result, path, messages_);
        ApplySaveOutcome(job_, outcome);
        return outcome;
    }

    TempFolder folder_;
    EnhanceJob job_;
    CollectingMessageSink messages_;
};

TEST_F(EnhanceSaveTest, ConfirmedAndWrittenClearsResultReady) {
    struct Case {
        const char* name;
        const char* leadingBytes;
    };
    for (const Case& c :
         {Case{"result.jpg", "\xFF\xD8"}, Case{"result.JPEG", "\xFF\xD8"}, Case{"result.bmp", "BM"},
          Case{"result.png", "\x89P"}, Case{"result.TIFF", "II"}}) {
        job_.resultReady = true;
        const std::string path = folder_.File(c.name);
        EXPECT_EQ(Save(path), SaveOutcome::kWritten) << c.name;
        EXPECT_EQ(FileBytes(path).substr(0, 2), c.leadingBytes) << c.name;
        EXPECT_FALSE(job_.resultReady) << c.name;
    }
    EXPECT_TRUE(messages_.messages.empty());
}

// A missing folder, and a name whose extension names no format (or that has none: the dialog
// appends ".bmp" only to names typed without one), are refused with the reason.
TEST_F(EnhanceSaveTest, ConfirmedButUnwritableKeepsTheResultReadyAndSaysWhy) {
    const struct {
        const char* name;
        const char* reasonPart;
    } cases[] = {
        {"no such folder/result.jpg", "no such folder"},
        {"result.gif", "use BMP (.bmp), JPEG (.jpg, .jpeg), PNG (.png), TIFF (.tif, .tiff)"},
        {"result", "its extension names no format"}};
    for (const auto& c : cases) {
        messages_.messages.clear();
        const std::string path = folder_.File(c.name);
        EXPECT_EQ(Save(path), SaveOutcome::kFailed);
        EXPECT_TRUE(job_.resultReady);
        EXPECT_FALSE(std::filesystem::exists(path));
        ASSERT_EQ(messages_.messages.size(), 1u);
        EXPECT_EQ(messages_.messages[0].rfind("The enhanced image was not saved.\n\n", 0), 0u);
        EXPECT_NE(messages_.messages[0].find(c.reasonPart), std::string::npos)
            << messages_.messages[0];
    }
}

TEST_F(EnhanceSaveTest, FailedWriteLeavesTheOldFileIntact) {
    const std::string path = folder_.File("keep.bmp");
    std::ofstream(path, std::ios::binary) << "earlier picture";
    job_.result.Release();  // nothing that can be encoded
    EXPECT_EQ(Save(path), SaveOutcome::kFailed);
    EXPECT_EQ(FileBytes(path), "earlier picture");
    EXPECT_TRUE(job_.resultReady);
    EXPECT_EQ(messages_.messages.size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.File("")),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind
}

TEST_F(EnhanceSaveTest, CancelledWritesNothing) {
    EXPECT_EQ(Save(std::nullopt), SaveOutcome::kCancelled);
    EXPECT_TRUE(job_.resultReady);
    EXPECT_TRUE(messages_.messages.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.File("")),
                            std::filesystem::directory_iterator()),
              0);
}

TEST(SaveFailedMessageTest, NamesTheFileWhenNoReasonIsKnown) {
    EXPECT_EQ(SaveFailedMessage("/x/a.bmp", ""),
              "The enhanced image was not saved.\n\nCannot write /x/a.bmp.");
    EXPECT_EQ(
        SaveFailedMessage("/x/a.bmp", "Cannot write /x/a.bmp: No space left on device"),
        "The enhanced image was not saved.\n\nCannot write /x/a.bmp: No space left on device");
}

}  // namespace
}  // namespace lumivex
