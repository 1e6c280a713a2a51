// A picture refused for its size is reported as too large wherever it is opened: reading a file,
// adding it to an image set (the application's message), and the command line. A header that is
// wrong rather than large says what is wrong, and a run whose memory runs out says so.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include "image/bmp_codec.h"
#include "image/image_stream.h"
#include "image/message_sink.h"
#include "image/read_image.h"
#include "image/save_image.h"
#include "job/input_set.h"
#include "job/job.h"
#include "tests/job/test_frames.h"
#include "tests/robustness/bmp_builder.h"
#include "tests/robustness/jpeg_builder.h"

namespace lumivex::robustness {
namespace {

namespace fs = std::filesystem;

#ifdef LUMIVEX_CLI_PATH
// Runs the command line; returns its exit status and what it wrote to either stream;
// prefix goes in front of the program in the shell's command line.
int RunCli(const std::string& arguments, std::string& output, const std::string& prefix = "") {
    const std::string command =
        prefix + "'" + std::string(LUMIVEX_CLI_PATH) + "' " + arguments + " 2>&1";
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
#endif

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

TEST_F(TooLarge, AHeaderThatIsWrongRatherThanLargeSaysWhatIsWrong) {
    struct Case {
        int32_t width;
        int32_t height;
        const char* says;
    };
    const Case cases[] = {{-640, 480, "negative width in the header"},
                          {0, 480, "zero width in the header"},
                          {640, 0, "zero height in the header"}};
    for (const Case& c : cases) {
        BmpFields fields;
        fields.width = c.width;
        fields.height = c.height;
        fields.bits = 24;
        fields.pixels.assign(32, 1);
        const Bytes bytes = BuildBmp(fields);
        const std::string path = Write("wrong.bmp", bytes);
        // The reader's own reason stays its text for a picture it cannot allocate.
        MemoryImageStream stream(bytes);
        BmpCodec codec;
        RgbImage image;
        EXPECT_FALSE(codec.Decode(stream, image));
        EXPECT_EQ(codec.FailureReason(), "Can't allocate memory");
        std::string error;
        EXPECT_FALSE(ReadImageFile(path, image, &error));
        EXPECT_EQ(error, c.says);
        // The application skips a file it cannot read without a word.
        EnhanceJob job;
        CollectingMessageSink messages;
        EXPECT_FALSE(AddImageFile(job, path, messages));
        EXPECT_TRUE(messages.messages.empty()) << c.says;
#ifdef LUMIVEX_CLI_PATH
        std::string output;
        EXPECT_EQ(RunCli("info '" + path + "'", output), 1);
        EXPECT_EQ(output, "lumivex-cli: " + path + ": cannot be read (" + c.says + ")\n");
#endif
    }
}

#ifdef LUMIVEX_CLI_PATH
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

TEST_F(TooLarge, CommandLineRunOutOfMemorySaysSoAndWritesNothing) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer runtime cannot start within an address-space limit";
#endif
    std::string inputs;
    for (int k = 0; k < 2; ++k) {
        const std::string path = (folder_ / ("frame" + std::to_string(k) + ".bmp")).string();
        ASSERT_TRUE(SaveImageToPath(*testing_frames::MakeSceneFrame(100, 100, 0.4 * k, 0.2 * k),
                                    path, nullptr));
        inputs += " '" + path + "'";
    }
    // The 9000 x 9000 result (243 MB) fits in 1 GiB of address space; the quality
    // reconstruction's working planes beside it do not.
    const std::string out = (folder_ / "out.bmp").string();
    std::string output;
    EXPECT_EQ(RunCli("enhance --quiet --method quality --scale 90" + inputs + " -o '" + out + "'",
                     output, "ulimit -v 1048576 && exec "),
              1);
    EXPECT_EQ(output, "lumivex-cli: not enough memory for a 9000 × 9000 result\n");
    EXPECT_FALSE(fs::exists(out));
}
#endif

}  // namespace
}  // namespace lumivex::robustness
