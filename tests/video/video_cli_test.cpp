// lumivex-cli's video commands, end to end: info --json, extract and enhance on encoded videos.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/cli_enhance/cli_process.h"
#include "tests/video/video_fixtures.h"
#include "video/video_page_model.h"

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

// Smaller than the desktop application's 100 x 100, but large enough for the engine when its
// frames enter whole.
std::string SmallVideo() {
    return testing::MakeVideo("small.avi",
                              {TestVideoKind::kMjpegAvi, 48, 44, 25, CountingPictures(12)});
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(VideoCli, InfoDescribesVideosOfEverySize) {
    const std::string wide = testing::WideMpeg2Video();
    CliRun run = Cli("info --json " + Quoted(wide));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"path\": \"" + wide +
                           "\", \"type\": \"video\", \"width\": 720, \"height\": 576, "
                           "\"frames\": 8, \"time_format\": \"frames\", \"duration\": 8, "
                           "\"seconds\": 0.32, \"vertical_factor\": 0.703125, "
                           "\"interlacing\": \"progressive\", \"desktop_opens\": true}\n");
    const std::string refused = "\"desktop_opens\": false, \"desktop_message\": \"" +
                                std::string(kResolutionTooLowText) + "\"}";
    const struct {
        std::string video;
        std::string expected;
    } cases[] = {
        {testing::Mpeg2InterlacedVideo(),
         "\"interlacing\": \"top field first\", "
         "\"desktop_opens\": true}"},
        {SmallVideo(), "\"width\": 48, \"height\": 44, \"frames\": 12"},
        {SmallVideo(), refused},
        {testing::MakeVideo("99x576.avi",
                            {TestVideoKind::kMpeg4Avi, 99, 576, 25, CountingPictures(4)}),
         "\"width\": 99, \"height\": 576, \"frames\": 4"},
        {testing::MakeVideo("99x576.avi", {}), refused},
        // A camcorder's transport stream: named .mts, its frames counted.
        {testing::MakeVideo("clip.mts",
                            {TestVideoKind::kMpeg2Transport, 64, 48, 25, CountingPictures(8)}),
         "\"width\": 64, \"height\": 48, \"frames\": 8, \"time_format\": \"frames\""},
    };
    for (const auto& c : cases) {
        run = Cli("info --json " + Quoted(c.video));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
    }
    run = Cli("info " + Quoted(SmallVideo()));
    EXPECT_NE(run.out.find(": video, 48 x 44, 12 frames, 0.48 s, time format frames, duration 12, "
                           "vertical factor 1, interlacing unknown; the desktop application "
                           "refuses it (smaller than 100 x 100)\n"),
              std::string::npos)
        << run.out;

    const std::string audio = std::string(LUMIVEX_TEST_DATA) + "/video/b_audio_only.mpg";
    run = Cli("info --json " + Quoted(audio));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\"error\": \"the media format is not supported\"}"), std::string::npos)
        << run.out;
}

TEST(VideoCli, ExtractWritesFieldsOrFrames) {
    const std::string video = Quoted(testing::MjpegVideo());
    const std::string fields = FreshFolder("cli-fields");
    CliRun run = Cli("extract " + video + " -d " + Quoted(fields) + " --at 10");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "5 video frames have been extracted to " + fields + ".\n");
    EXPECT_EQ(FileCount(fields), 10u);
    EXPECT_TRUE(fs::exists(fields + "/LMVX 002refb.bmp"));

    const std::string frames = FreshFolder("cli-frames");
    run = Cli("extract " + video + " -d " + Quoted(frames + "/new/sub") +
              " --mkdir --at 3 --count 7 --no-fields --quiet");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(FileCount(frames + "/new/sub"), 7u);
    EXPECT_TRUE(fs::exists(frames + "/new/sub/LMVX 002ref.bmp"));

    // A video below the desktop's 100 x 100 gives its fields too.
    const std::string small = FreshFolder("cli-small-fields");
    run = Cli("extract " + Quoted(SmallVideo()) + " -d " + Quoted(small) + " --quiet");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FileCount(small), 10u);
}

// Each line: the arguments after "extract VIDEO", the status, what stderr holds and how many
// files the folder then has. The 30-frame video's positions run from 0 to 30.
TEST(VideoCli, ExtractRefusesOrFallsShortWithAReason) {
    const std::string video = Quoted(testing::MjpegVideo());
    const std::string audio = Quoted(std::string(LUMIVEX_TEST_DATA) + "/video/b_audio_only.mpg");
    const struct {
        std::string input;
        std::string args;
        int status;
        std::string err;
        size_t files;
    } cases[] = {
        {video, "-d {}/missing --count 2", 1,
         "/missing: the folder does not exist (give --mkdir to make it)\n", 0},
        {video, "-d {} --count 31", 2, "lumivex-cli: --count: 31 is out of range (1 to 30)\n", 0},
        {video, "-d {} --count 0", 2, "lumivex-cli: --count: 0 is out of range (1 to 30)\n", 0},
        {video, "-d {} --at 99", 2, "counting.avi: --at: 99 is out of range (0 to 30)\n", 0},
        {video, "-d {}/new --mkdir --at 99", 2, "--at: 99 is out of range", 0},
        {video, "-d {} --at 29 --count 30 --no-fields", 1,
         ": only 15 of the 30 frames asked for were written (the video ends before the others)\n",
         15},
        {video, "--count 3", 2, "lumivex-cli: --directory is required\n", 0},
        {video, "-d {} --fields --no-fields", 2, "--fields excludes --no-fields", 0},
        {audio, "-d {}", 1, "b_audio_only.mpg: the media format is not supported\n", 0},
    };
    for (const auto& c : cases) {
        const std::string folder = FreshFolder("cli-extract");
        std::string args = c.args;
        const size_t at = args.find("{}");
        if (at != std::string::npos) {
            args.replace(at, 2, Quoted(folder));
        }
        const CliRun run = Cli("extract " + c.input + " " + args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << "\n" << run.err;
        EXPECT_EQ(run.err.find("ERROR"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Debug message"), std::string::npos) << run.err;
        EXPECT_EQ(FileCount(folder), c.files) << c.args;
    }
}

// A FIFO, a folder or a missing file in place of the video is refused at once, by every command,
// with the reason: opening a FIFO would wait for a writer that never comes.
TEST(VideoCli, RefusesWhatIsNotAFile) {
    const std::string folder = FreshFolder("cli-not-a-file");
    ASSERT_EQ(mkfifo((folder + "/waiting.avi").c_str(), 0600), 0);
    fs::create_directory(folder + "/folder.avi");
    const std::pair<std::string, std::string> cases[] = {
        {"waiting.avi", "not a regular file"},
        {"folder.avi", "is a directory"},
        {"missing.avi", "no such file or directory"}};
    const std::string err = Quoted(folder + "/err.txt");
    for (const auto& [name, reason] : cases) {
        const std::string video = Quoted(folder + "/" + name);
        for (const std::string& command :
             {" info " + video, " enhance " + video + " -o " + Quoted(folder + "/out.bmp"),
              " extract " + video + " -d " + Quoted(folder)}) {
            const std::string line = "timeout 20 " + std::string(LUMIVEX_CLI_PATH) + command;
            const int status = std::system((line + " >/dev/null 2>" + err).c_str());
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << line;
            EXPECT_NE(
                ReadFile(folder + "/err.txt").find(name + ": cannot be opened (" + reason + ")\n"),
                std::string::npos)
                << line << "\n"
                << ReadFile(folder + "/err.txt");
        }
    }
    EXPECT_FALSE(fs::exists(folder + "/out.bmp"));
}

// What could not be written is a problem on stderr, --quiet or not, and fails the command; a
// signal stops the files not yet written. A FIFO that nobody reads holds the first save until
// the signal comes; it is sent once the handler is installed.
TEST(VideoCli, WritesThatFailAreProblemsOnStderr) {
    const std::string video = Quoted(testing::MjpegVideo());
    const std::string folder = FreshFolder("cli-extract-fails");
    fs::create_directory(folder + "/LMVX 001a.bmp");
    for (const std::string quiet : {"", " --quiet"}) {
        const CliRun run = Cli("extract " + video + " -d " + Quoted(folder) + " --at 10" + quiet);
        EXPECT_EQ(run.status, 1) << quiet;
        EXPECT_EQ(run.out,
                  quiet.empty() ? "5 video frames have been extracted to " + folder + ".\n" : "");
        EXPECT_NE(run.err.find("lumivex-cli: cannot write " + folder +
                               "/LMVX 001a.bmp: Is a directory\n"),
                  std::string::npos)
            << run.err;
    }
    const CliRun full = Cli("info " + video + " >/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("lumivex-cli: standard output: cannot be written"), std::string::npos)
        << full.err;

    const std::string held = FreshFolder("cli-extract-signal");
    ASSERT_EQ(mkfifo((held + "/LMVX 000a.bmp").c_str(), 0600), 0);
    const std::string printed = FreshFolder("cli-extract-signal-output");
    const pid_t pid = testing_cli::StartCli(
        {"extract", testing::MjpegVideo(), "-d", held, "--at", "10"}, printed);
    testing_cli::WaitUntilCatching(pid, SIGTERM);
    kill(pid, SIGTERM);
    const testing_cli::CliResult stopped = testing_cli::WaitCli(pid, printed);
    EXPECT_EQ(stopped.status, 128 + SIGTERM) << stopped.err;
    EXPECT_NE(stopped.err.find("lumivex-cli: cancelled; nothing was written\n"), std::string::npos)
        << stopped.err;
    EXPECT_EQ(FileCount(held), 1u);
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

// At the last position of 50-frame videos (position 50) the report names the first field of the
// last gathered frame, frame 49, as the reference; position 51 lies outside the video.
TEST(VideoCli, EnhanceAtTheLastPositionReportsTheLastFrameAsReference) {
    const std::string data = std::string(LUMIVEX_TEST_DATA) + "/video/";
    const std::string out = Quoted(FreshFolder("cli-last") + "/out.bmp");
    for (const char* name : {"mjpeg_100x96.avi", "mpeg1_100x96.mpg", "b_mpeg4_100x100.avi"}) {
        const CliRun run =
            Cli("enhance " + Quoted(data + name) + " --at 50 --quiet --report - -o " + out);
        ASSERT_EQ(run.status, 0) << name << run.err;
        EXPECT_NE(run.out.find("\"reference\": 2,"), std::string::npos) << name << run.out;
        EXPECT_NE(run.out.find("\"name\": \"Frame 1a\",\n      \"reference\": true"),
                  std::string::npos)
            << name << run.out;
        EXPECT_EQ(run.out.find("Frame 2a"), std::string::npos) << name;
        // One past the last position is refused with the range, before any gathering.
        const CliRun past = Cli("enhance " + Quoted(data + name) + " --at 51 --quiet -o " + out);
        EXPECT_EQ(past.status, 1) << name;
        EXPECT_NE(past.err.find(std::string(name) + ": --at: 51 is out of range (0 to 50); nothing "
                                                    "was written\n"),
                  std::string::npos)
            << past.err;
    }
}

// Below the desktop's 100 x 100 the command line takes what the engine can register: frames of
// at least 41 x 41 pixels (fields of a 44 x 82 video, or whole frames with --no-fields).
TEST(VideoCli, EnhanceTakesVideosDownToTheRegistrationSize) {
    const std::string folder = FreshFolder("cli-small");
    const std::string out = Quoted(folder + "/out.png");
    const std::string report = Quoted(folder + "/report.json");
    const std::string small = Quoted(SmallVideo());
    CliRun run = Cli("enhance " + small + " --quiet -o " + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(": the video is 48 x 44 pixels, too small to enhance: its fields "
                           "(48 x 22) are below the 41 x 41 pixels the engine registers; a video "
                           "must be at least 44 x 82 pixels (44 x 41 with --no-fields); nothing "
                           "was written\n"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(folder + "/out.png"));

    run = Cli("enhance " + small + " --no-fields --at 6 --quiet -o " + out + " --report " + report);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string json = ReadFile(folder + "/report.json");
    EXPECT_NE(json.find("\"interlaced\": false"), std::string::npos) << json;
    EXPECT_NE(json.find("\"name\": \"Frame 4\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"reference\": 2"), std::string::npos) << json;
    EXPECT_NE(json.find("\"width\": 96,\n    \"height\": 88"), std::string::npos) << json;

    // At the end of a two-frame video only the reference is gathered: the result is said to be
    // the reference enlarged.
    const std::string two =
        testing::MakeVideo("two.avi", {TestVideoKind::kMjpegAvi, 48, 44, 25, CountingPictures(2)});
    run = Cli("enhance " + Quoted(two) + " --no-fields --at 2 --quiet -o " + out);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "lumivex-cli: " + two +
                           ": no frame but the reference could be gathered, so the result is the "
                           "reference enlarged, with nothing fused into it\n");

    const std::string narrow = Quoted(testing::MakeVideo(
        "narrow.avi", {TestVideoKind::kMjpegAvi, 40, 96, 25, CountingPictures(6)}));
    run = Cli("enhance " + narrow + " --no-fields --quiet -o " + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("its frames (40 x 96) are below the 41 x 41 pixels the engine "
                           "registers; a video must be at least 44 x 41 pixels; nothing was "
                           "written\n"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace lumivex::video
