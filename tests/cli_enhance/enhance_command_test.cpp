// lumivex-cli enhance and profiles, run as a user runs them.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "image/read_image.h"
#include "image/save_image.h"
#include "tests/cli_enhance/cli_process.h"
#include "tests/job/test_frames.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;
using testing_cli::ReadText;

class EnhanceCommandTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumivex_cli_enhance_XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    // count frames of the test scene, frame k shifted by (0.37 k, 0.21 k).
    std::vector<std::string> WriteFrames(int count, int32_t width, int32_t height) {
        std::vector<std::string> paths;
        for (int k = 0; k < count; ++k) {
            paths.push_back(Path("frame" + std::to_string(k) + ".bmp"));
            auto frame = testing_frames::MakeSceneFrame(width, height, 0.37 * k, 0.21 * k);
            std::string error;
            EXPECT_TRUE(SaveImageToPath(*frame, paths.back(), &error)) << error;
        }
        return paths;
    }

    pid_t Start(const std::vector<std::string>& args) {
        return testing_cli::StartCli(args, folder_);
    }

    int Wait(pid_t pid) {
        const testing_cli::CliResult result = testing_cli::WaitCli(pid, folder_);
        out_ = result.out;
        err_ = result.err;
        return result.status;
    }

    int Run(const std::vector<std::string>& args) { return Wait(Start(args)); }

    std::string folder_;
    std::string out_;
    std::string err_;
};

TEST_F(EnhanceCommandTest, WritesThePictureTheSummaryAndTheReport) {
    std::vector<std::string> args = {"enhance"};
    const std::vector<std::string> frames = WriteFrames(4, 96, 72);
    args.insert(args.end(), frames.begin(), frames.end());
    args.push_back(Path("notes.txt"));  // skipped with a message, the rest go on
    for (const char* option : {"--reference", "1", "--scale", "2", "-o"}) {
        args.push_back(option);
    }
    args.push_back(Path("out.bmp"));
    args.push_back("--report=" + Path("report.json"));
    std::ofstream(Path("notes.txt")) << "not a picture";

    ASSERT_EQ(Run(args), 0) << err_;
    EXPECT_NE(err_.find("notes.txt: left out, not a picture Lumivex reads (unknown file format)\n"),
              std::string::npos)
        << err_;
    EXPECT_NE(out_.find("Wrote " + Path("out.bmp") + " (192x144"), std::string::npos) << out_;
    EXPECT_NE(out_.find("frame1.bmp"), std::string::npos);
    RgbImage result;
    std::string error;
    ASSERT_TRUE(ReadImageFile(Path("out.bmp"), result, &error)) << error;
    EXPECT_EQ(result.Width(), 192);
    EXPECT_EQ(result.Height(), 144);

    const std::string report = ReadText(Path("report.json"));
    for (const char* expected :
         {"\"reference\": 1,", "\"status\": -100,", "\"interlaced\": false", "\"width\": 192,",
          "\"height\": 144", "\"name\": \"frame3.bmp\"", "\"seconds\": ", "\"transform\": [",
          "\"difference\": ", "\"limit\": ", "\"shift\": ["}) {
        EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
    }
    // Four images: one reference, three with their registration.
    std::size_t entries = 0;
    for (std::size_t at = report.find("\"index\""); at != std::string::npos;
         at = report.find("\"index\"", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 4u);
    std::size_t accepted = 0;
    for (std::size_t at = report.find("\"accepted\": true"); at != std::string::npos;
         at = report.find("\"accepted\": true", at + 1)) {
        ++accepted;
    }
    EXPECT_NE(report.find("\"accepted\": " + std::to_string(accepted) + ","), std::string::npos);
}

// --method picks the reconstruction whatever the profile says; only the quality method weighs
// each picture, and the report says how much.
TEST_F(EnhanceCommandTest, MethodOptionChoosesTheReconstruction) {
    const std::vector<std::string> frames = WriteFrames(3, 128, 96);
    for (const char* method : {"standard", "quality"}) {
        std::vector<std::string> args = {
            "enhance", "--method", method, "-o", Path("out.bmp"), "--report", Path("report.json")};
        args.insert(args.end(), frames.begin(), frames.end());
        ASSERT_EQ(Run(args), 0) << method << err_;
        const bool weighed = ReadText(Path("report.json")).find("\"weight\"") != std::string::npos;
        EXPECT_EQ(weighed, std::string(method) == "quality") << method;
    }
}

// --blur sets the quality method's camera blur, over the profile's; the profile's key reaches
// the method when the option is not given.
TEST_F(EnhanceCommandTest, BlurOptionAndProfileKeyReachTheQualityMethod) {
    const std::vector<std::string> frames = WriteFrames(3, 128, 96);
    std::ofstream(Path("blurred.ini")) << "[resolution]\nscale = 2\n[reconstruction]\nblur = 1.5\n";
    const auto result = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"enhance", "--method", "quality", "-o", Path("out.bmp")});
        args.insert(args.end(), frames.begin(), frames.end());
        EXPECT_EQ(Run(args), 0) << err_;
        return ReadText(Path("out.bmp"));
    };
    const std::string sharp = result({"--blur", "0"});
    const std::string blurred = result({"--blur", "1.5"});
    EXPECT_NE(sharp, blurred);
    EXPECT_EQ(result({"--profile", Path("blurred.ini")}), blurred);
    EXPECT_EQ(result({"--profile", Path("blurred.ini"), "--blur", "0"}), sharp);
}

// The numbers that follow key in the report's text, e.g. the two of "shift": [3, 2].
std::vector<double> NumbersAfter(const std::string& report, const std::string& key, size_t count) {
    std::vector<double> numbers;
    const size_t at = report.find("\"" + key + "\": [");
    const char* cursor = at == std::string::npos ? nullptr : report.c_str() + at + key.size() + 5;
    while (cursor != nullptr && numbers.size() < count) {
        char* end = nullptr;
        numbers.push_back(std::strtod(cursor, &end));
        cursor = std::strchr(end, ',');
        cursor = cursor == nullptr ? nullptr : cursor + 1;
    }
    return numbers;
}

// The README's worked example: b.bmp shows a.bmp's scene moved 3 pixels right and 2 down, and
// the report says so in picture coordinates, its transform moving (x, y) to (x + 3, y + 2).
TEST_F(EnhanceCommandTest, TheReportGivesAKnownShiftInPictureCoordinates) {
    std::string error;
    // Stored rows run bottom-up: moving the scene down in the picture raises its stored rows.
    ASSERT_TRUE(
        SaveImageToPath(*testing_frames::MakeSceneFrame(240, 180, 0, 0), Path("a.bmp"), &error));
    ASSERT_TRUE(
        SaveImageToPath(*testing_frames::MakeSceneFrame(240, 180, -3, 2), Path("b.bmp"), &error));
    ASSERT_EQ(Run({"enhance", Path("a.bmp"), Path("b.bmp"), "--scale", "2", "-o", Path("out.bmp"),
                   "--report", Path("report.json")}),
              0)
        << err_;
    const std::string report = ReadText(Path("report.json"));
    EXPECT_NE(report.find("\"coordinates\": \"picture: origin at the top-left pixel, x right, y "
                          "down, in input pixels\""),
              std::string::npos);
    const std::vector<double> shift = NumbersAfter(report, "shift", 2);
    const std::vector<double> transform = NumbersAfter(report, "transform", 6);
    ASSERT_EQ(shift.size(), 2u) << report;
    ASSERT_EQ(transform.size(), 6u) << report;
    const double expected[6] = {0, 0, 3, 0, 0, 2};
    EXPECT_NEAR(shift[0], 3.0, 0.02);
    EXPECT_NEAR(shift[1], 2.0, 0.02);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(transform[i], expected[i], i % 3 == 2 ? 0.02 : 0.001) << "t" << i;
    }
    EXPECT_NE(out_.find("shift   +3.00   +2.00"), std::string::npos) << out_;
}

TEST_F(EnhanceCommandTest, InterruptCancelsAndWritesNothing) {
    std::vector<std::string> args = {"enhance"};
    const std::vector<std::string> frames = WriteFrames(8, 320, 240);
    args.insert(args.end(), frames.begin(), frames.end());
    for (const std::string& option :
         {std::string("--scale"), std::string("3"), std::string("-o"), Path("out.jpg"),
          std::string("--report"), Path("report.json")}) {
        args.push_back(option);
    }
    const pid_t pid = Start(args);
    testing_cli::WaitUntilCatching(pid, SIGINT);
    kill(pid, SIGINT);
    EXPECT_EQ(Wait(pid), 130) << err_;
    EXPECT_NE(err_.find("cancelled"), std::string::npos) << err_;
    EXPECT_FALSE(fs::exists(Path("out.jpg")));
    EXPECT_FALSE(fs::exists(Path("report.json")));
}

// Ctrl-C, SIGTERM and SIGHUP stop a save that has not yet replaced its file, with 128 + the
// signal; a SIGHUP the program was started with ignored (nohup) stays ignored. The output is a
// FIFO that nobody reads, so the save waits there until the signal comes.
TEST_F(EnhanceCommandTest, SignalsStopASaveBeforeItsOutputChanges) {
    const std::vector<std::string> frames = WriteFrames(1, 64, 48);
    const std::string fifo = Path("out.bmp");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        int ignoredAtStart;  // 0: none
        std::vector<int> sent;
        int status;
    } cases[] = {{0, {SIGINT}, 130},
                 {0, {SIGTERM}, 143},
                 {0, {SIGHUP}, 129},
                 {SIGHUP, {SIGHUP, SIGTERM}, 143}};
    for (const auto& c : cases) {
        SCOPED_TRACE(strsignal(c.sent.back()));
        struct sigaction ignore {
        }, before{};
        ignore.sa_handler = SIG_IGN;
        if (c.ignoredAtStart != 0) {
            sigaction(c.ignoredAtStart, &ignore, &before);
        }
        const pid_t pid =
            testing_cli::StartCli({"convert", frames[0], fifo}, folder_, c.ignoredAtStart);
        if (c.ignoredAtStart != 0) {
            sigaction(c.ignoredAtStart, &before, nullptr);
        }
        testing_cli::WaitUntilCatching(pid, c.sent.back());
        for (const int signal : c.sent) {
            kill(pid, signal);
        }
        EXPECT_EQ(Wait(pid), c.status) << err_;
        EXPECT_NE(err_.find("cancelled; nothing was written"), std::string::npos) << err_;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(EnhanceCommandTest, ProfilesListsTheShippedProfilesWithTheirSizes) {
    ASSERT_EQ(Run({"profiles", "--size", "640x480"}), 0) << err_;
    EXPECT_NE(out_.find("2x enlargement"), std::string::npos) << out_;
    EXPECT_NE(out_.find("1280x960"), std::string::npos) << out_;
    ASSERT_EQ(Run({"profiles", "--size", "640x480", "--aspect", "16 : 9"}), 0) << err_;
    EXPECT_NE(out_.find("1280x720"), std::string::npos) << out_;
}

}  // namespace
}  // namespace lumivex
