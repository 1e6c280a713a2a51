// A picture refused for its size is reported as too large wherever it is opened: reading a file,
// adding it to an image set (the application's message), and the command line.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include "job/job.h"
#include "job/input_set.h"
#include "image/message_sink.h"
#include "image/read_image.h"
#include "tests/robustness/bmp_builder.h"
#include "tests/robustness/jpeg_builder.h"

namespace lumivex::robustness {
namespace {

namespace fs = std::filesystem;

class TooLarge : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("lumivex-too-large-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        BmpFields fields;
        fields.width = 65535;
        fields.height = 65535;
        fields.bits = 24;
        fields.pixels.assign(32, 1);
        bmp_ = Write("huge.bmp", BuildBmp(fields));
        Bytes jpeg = BuildJpeg({});
        SetJpegFrameSize(jpeg, 65535, 65535);
        jpeg_ = Write("huge.jpg", jpeg);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Write(const std::string& name, const Bytes& bytes) const {
        const std::string path = (folder_ / name).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        return path;
    }

    fs::path folder_;
    std::string bmp_;
    std::string jpeg_;
};

TEST_F(TooLarge, ReadingSaysTooLarge) {
    for (const std::string& path : {bmp_, jpeg_}) {
        RgbImage image;
        std::string error;
        EXPECT_FALSE(ReadImageFile(path, image, &error));
        EXPECT_EQ(error, TooLargeText()) << path;
        EXPECT_NE(error.find("too large"), std::string::npos);
    }
}

TEST_F(TooLarge, AddingToASetShowsTheMessageAndAddsNothing) {
    for (const std::string& path : {bmp_, jpeg_}) {
        EnhanceJob job;
        CollectingMessageSink messages;
        EXPECT_FALSE(AddImageFile(job, path, messages));
        EXPECT_EQ(job.FrameCount(), 0);
        ASSERT_EQ(messages.messages.size(), 1u) << path;
        EXPECT_EQ(messages.messages[0], TooLargeText());
    }
}

#ifdef LUMIVEX_CLI_PATH
// Runs the command line; returns its exit status and what it wrote to either stream.
int RunCli(const std::string& arguments, std::string& output) {
    const std::string command = std::string("'") + LUMIVEX_CLI_PATH + "' " + arguments + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    std::array<char, 512> buffer;
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(TooLarge, CommandLineSaysTooLarge) {
    const std::string out = (folder_ / "out.bmp").string();
    for (const std::string& arguments :
         {"info '" + bmp_ + "'", "info --json '" + jpeg_ + "'",
          "convert '" + bmp_ + "' '" + out + "'", "enhance '" + jpeg_ + "' -o '" + out + "'"}) {
        std::string output;
        EXPECT_EQ(RunCli(arguments, output), 1) << arguments << "\n" << output;
        EXPECT_NE(output.find("too large"), std::string::npos) << arguments << "\n" << output;
    }
    EXPECT_FALSE(fs::exists(out));
}
#endif

}  // namespace
}  // namespace lumivex::robustness
