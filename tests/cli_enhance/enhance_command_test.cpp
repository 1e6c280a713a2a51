// lumivex-cli enhance and profiles, run as a user runs them.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "image/read_image.h"
#include "image/save_image.h"
#include "tests/job/test_frames.h"

extern char** environ;

namespace lumivex {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// True once the process catches SIGINT (its handler is installed).
bool CatchesInterrupt(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0;
        }
    }
    return false;
}

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
        std::vector<std::string> all = {LUMIVEX_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, Path("stdout.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, Path("stderr.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    int Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        out_ = ReadText(Path("stdout.txt"));
        err_ = ReadText(Path("stderr.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
    EXPECT_NE(err_.find("notes.txt: Unknown file format"), std::string::npos) << err_;
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

TEST_F(EnhanceCommandTest, UsageErrorsExitWithTwo) {
    const std::string in = WriteFrames(1, 64, 48)[0];
    const std::string out = Path("out.bmp");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {in},
        {in, "-o", out, "--frobnicate"},
        {in, "-o", out, "--scale", "abc"},
        {in, "-o", out, "--scale", "2", "--profile", "x"},
        {in, "-o", out, "--proportional", "false"},
        {in, "-o", out, "--max-size", "800"},
        {in, "-o", out, "--reference", "1"},
        {in, "-o", out, "--reference", "-1"},
        {in, "-o", out, "--aspect", "0:1"},
        {in, "-o", out, "--method", "fast"},
        {in, "-o", out, "--profile", "no such profile"},
        {in, "-o"},
    };
    for (const auto& arguments : cases) {
        std::vector<std::string> args = {"enhance"};
        args.insert(args.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(Run(args), 2) << testing::PrintToString(arguments);
        EXPECT_NE(err_.find("usage: lumivex-cli enhance"), std::string::npos) << err_;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(EnhanceCommandTest, RefusalsExitWithOneAndWriteNothing) {
    const std::vector<std::string> frames = WriteFrames(2, 64, 48);
    const std::vector<std::string> tiny = WriteFrames(2, 16, 16);  // overwrites frame0, frame1
    const std::string out = Path("out.bmp");

    EXPECT_EQ(Run({"enhance", Path("missing.jpg"), Path("x.png"), "-o", out}), 1);
    EXPECT_NE(err_.find("no picture could be added"), std::string::npos) << err_;

    EXPECT_EQ(Run({"enhance", tiny[0], tiny[1], "-o", out}), 1);
    EXPECT_NE(err_.find("too small to be registered"), std::string::npos) << err_;

    EXPECT_EQ(Run({"enhance", tiny[0], "--scale", "4000", "-o", out}), 1);
    EXPECT_NE(err_.find("is too large"), std::string::npos) << err_;

    EXPECT_EQ(Run({"enhance", tiny[0], "-o", Path("no/such/folder/out.bmp")}), 1);
    EXPECT_NE(err_.find("does not exist"), std::string::npos) << err_;

    // The requested reference could not be added.
    EXPECT_EQ(Run({"enhance", tiny[0], Path("missing.bmp"), "--reference", "1", "-o", out}), 1);
    EXPECT_NE(err_.find("reference picture"), std::string::npos) << err_;
    EXPECT_FALSE(fs::exists(out));
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!CatchesInterrupt(pid) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, SIGINT);
    EXPECT_EQ(Wait(pid), 130) << err_;
    EXPECT_NE(err_.find("cancelled"), std::string::npos) << err_;
    EXPECT_FALSE(fs::exists(Path("out.jpg")));
    EXPECT_FALSE(fs::exists(Path("report.json")));
}

TEST_F(EnhanceCommandTest, ProfilesListsTheShippedProfilesWithTheirSizes) {
    ASSERT_EQ(Run({"profiles", "--size", "640x480"}), 0) << err_;
    EXPECT_NE(out_.find("2x enlargement"), std::string::npos) << out_;
    EXPECT_NE(out_.find("1280x960"), std::string::npos) << out_;
    ASSERT_EQ(Run({"profiles", "--size", "640x480", "--aspect", "16 : 9"}), 0) << err_;
    EXPECT_NE(out_.find("1280x720"), std::string::npos) << out_;
    EXPECT_EQ(Run({"profiles", "--size", "640"}), 2);
    EXPECT_EQ(Run({"profiles", "--aspect", "abc"}), 2);
}

}  // namespace
}  // namespace lumivex
