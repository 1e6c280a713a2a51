// lumivex-cli's video commands, end to end: info --json, extract and enhance on encoded videos.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/video/video_fixtures.h"

namespace lumivex::video {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

CliRun Cli(const std::string& arguments) {
    const std::string errFile = testing::ScratchFolder() + "/cli-stderr.txt";
    const std::string command =
        std::string(LUMIVEX_CLI_PATH) + " " + arguments + " 2>" + Quoted(errFile);
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, count);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

std::string FreshFolder(const std::string& name) {
    const std::string folder = testing::ScratchFolder() + "/" + name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

size_t FileCount(const std::string& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(VideoCli, InfoDescribesAVideoAsJson) {
    const std::string path = testing::WideMpeg2Video();
    const CliRun run = Cli("info --json " + Quoted(path));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"path\": \"" + path +
                           "\", \"type\": \"video\", \"width\": 720, \"height\": 576, "
                           "\"time_format\": \"frames\", \"duration\": 8, "
                           "\"vertical_factor\": 0.703125}\n");
    const std::string audio = std::string(LUMIVEX_TEST_DATA) + "/video/b_audio_only.mpg";
    const CliRun refused = Cli("info --json " + Quoted(audio));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("\"error\": \"ERROR: The media format is not supported.\""),
              std::string::npos);
}

TEST(VideoCli, ExtractWritesFieldsOrFramesAndReportsFailures) {
    const std::string video = Quoted(testing::MjpegVideo());
    const std::string fields = FreshFolder("cli-fields");
    CliRun run = Cli("extract " + video + " -d " + Quoted(fields) + " --at 10");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "5 video frames have been extracted to " + fields + ".\n");
    EXPECT_EQ(FileCount(fields), 10u);
    EXPECT_TRUE(fs::exists(fields + "/LMVX 002refb.bmp"));

    const std::string frames = FreshFolder("cli-frames");
    run = Cli("extract " + video + " -d " + Quoted(frames) + " --at 3 --count 7 --no-fields");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FileCount(frames), 7u);
    EXPECT_TRUE(fs::exists(frames + "/LMVX 002ref.bmp"));

    run = Cli("extract " + video + " -d " + Quoted(frames + "/missing") + " --count 2");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("0 video frames have been extracted"), std::string::npos);
    EXPECT_NE(run.out.find("4 files could not be written"), std::string::npos);

    EXPECT_EQ(Cli("extract " + video + " -d " + Quoted(frames) + " --count 31").status, 2);
    EXPECT_EQ(Cli("extract " + video + " --count 3").status, 2);
    const std::string audio = std::string(LUMIVEX_TEST_DATA) + "/video/b_audio_only.mpg";
    const std::string empty = FreshFolder("cli-empty");
    run = Cli("extract " + Quoted(audio) + " -d " + Quoted(empty));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ERROR: The media format is not supported."), std::string::npos);
    EXPECT_EQ(FileCount(empty), 0u);
}

// The enhancement of a video works on the two fields of five frames: ten images, the reference
// being the first field of the reference frame.
TEST(VideoCli, EnhanceFusesTheFieldsOfFiveFrames) {
    const std::string video = testing::MakeVideo(
        "enhance.avi", {TestVideoKind::kMjpegAvi, 192, 160, 25, CountingPictures(20)});
    const std::string folder = FreshFolder("cli-enhance");
    const CliRun run =
        Cli("enhance " + Quoted(video) + " --at 10 --scale 2 --quiet -o " +
            Quoted(folder + "/out.bmp") + " --report " + Quoted(folder + "/report.json"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder + "/out.bmp"));
    std::ifstream in(folder + "/report.json");
    std::stringstream text;
    text << in.rdbuf();
    const std::string report = text.str();
    EXPECT_NE(report.find("\"interlaced\": true"), std::string::npos) << report;
    EXPECT_NE(report.find("\"reference\": 4"), std::string::npos) << report;
    EXPECT_NE(report.find("Frame 4b"), std::string::npos);
    EXPECT_EQ(report.find("Frame 5a"), std::string::npos);
}

}  // namespace
}  // namespace lumivex::video
