// lumivex-cli extract: writes the frames around a position of a video to numbered BMP files, as
// the desktop application's "Extract video frames" command does.
#include <sys/stat.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_interrupt.h"
#include "cli/cli_messages.h"
#include "cli/cli_options.h"
#include "cli/cli_paths.h"
#include "cli/command.h"
#include "job/job.h"
#include "video/enhance_frames.h"
#include "video/frame_extraction.h"
#include "video/video_page_model.h"

namespace lumivex::cli {
namespace {

constexpr char kUsage[] = "[OPTIONS] VIDEO -d DIR";
constexpr char kExample[] = "lumivex-cli extract clip.avi -d frames --mkdir --at 120 --count 7";
constexpr char kFooter[] =
    "Writes COUNT consecutive distinct frames around POSITION to DIR as \"LMVX 000a.bmp\",\n"
    "\"LMVX 000b.bmp\", ... (the two fields of each frame; the reference frame's names carry\n"
    "\"ref\", such as \"LMVX 002refa.bmp\"), or with --no-fields whole frames \"LMVX 000.bmp\",\n"
    "... Exit status 1 when files could not be written or fewer frames than asked were\n"
    "gathered.";

struct ExtractOptions {
    std::string video;
    video::ExtractionSettings settings;
    std::optional<int64_t> position;
    bool fields = false;
    bool noFields = false;
    bool makeFolder = false;
};

// The folder exists (or, with --mkdir, is made) and takes files.
std::optional<Failure> CheckFolder(const ExtractOptions& options) {
    const std::string& folder = options.settings.directory;
    std::error_code error;
    if (options.makeFolder && !std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            return Failure{1, folder + ": the folder cannot be made (" +
                                  CommandLineText(error.message()) + ")"};
        }
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return Failure{1, folder + ": the folder does not exist (give --mkdir to make it)"};
    }
    if (!S_ISDIR(info.st_mode)) {
        return Failure{1, folder + ": is not a folder"};
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return Failure{1, folder + ": the folder cannot be written (" + ReasonText(errno) + ")"};
    }
    return std::nullopt;
}

// The video's position to work around: --at, checked against the video's length, or the middle.
std::optional<Failure> ChoosePosition(const ExtractOptions& options,
                                      const video::VideoPageModel& page, int64_t& position) {
    page.CurrentPosition(position);
    if (!options.position) {
        return std::nullopt;
    }
    if (*options.position < 0 || *options.position > page.Duration()) {
        return Failure{
            2, options.video + ": " + video::PositionRangeText(*options.position, page.Duration())};
    }
    position = *options.position;
    return std::nullopt;
}

// Prints the extraction's problems on stderr and, unless --quiet, its summary on stdout; the
// exit status.
int Finish(const ExtractOptions& options, const video::ExtractionReport& report,
           const CollectingMessageSink& messages, const InterruptWatch& watch) {
    FileMessageSink problems(options.video);
    // The last message is the summary when frames were gathered; everything else is a problem.
    const size_t summary = report.gatheredFrames ? messages.messages.size() - 1 : SIZE_MAX;
    for (size_t i = 0; i < messages.messages.size(); ++i) {
        if (i != summary) {
            problems.ShowMessage(messages.messages[i]);
        }
    }
    for (const std::string& failed : report.failedFiles) {
        if (!watch.Interrupted() || !failed.ends_with(": interrupted")) {
            PrintProblem({}, CommandLineText(failed));
        }
    }
    if (watch.Interrupted()) {
        const size_t written = report.writtenFiles.size();
        return Report(written == 0 ? watch.Cancellation()
                                   : Failure{watch.ExitStatus(),
                                             "cancelled; " + std::to_string(written) +
                                                 (written == 1 ? " file was" : " files were") +
                                                 " written before it"});
    }
    if (report.gatheredFrames && !Globals().quiet) {
        std::printf("%s\n",
                    video::ExtractionSummary(report.gathered, options.settings.directory).c_str());
    }
    if (!report.gatheredFrames || !report.failedFiles.empty() || report.framesWritten <= 0) {
        return 1;
    }
    const int32_t asked = options.settings.frameCount;
    if (report.framesWritten < asked) {
        return Report(Failure{1, options.video + ": only " + std::to_string(report.framesWritten) +
                                     " of the " + std::to_string(asked) +
                                     " frames asked for were written (the video ends before "
                                     "the others)"});
    }
    return 0;
}

int RunExtract(ExtractOptions& options) {
    const InterruptWatch watch;  // from here on, a signal stops the writing of further files
    options.settings.separateFields = !options.noFields;
    FileMessageSink errors(options.video);
    EnhanceJob job;
    video::VideoPageModel page;
    // Frames of any size can be written; the desktop's 100 x 100 floor is for enhancing.
    if (!video::LoadVideoPath(page, job, options.video, errors) || !page.CanGather()) {
        return 1;
    }
    int64_t position = 0;
    if (std::optional<Failure> failure = ChoosePosition(options, page, position)) {
        return Report(*failure);
    }
    if (watch.Interrupted()) {
        return Report(watch.Cancellation());
    }
    // Only a command that will run makes the folder.
    if (std::optional<Failure> failure = CheckFolder(options)) {
        return Report(*failure);
    }
    CollectingMessageSink messages;
    const video::ExtractionReport report =
        video::ExtractFramesAt(options.video, position, page.Format(), options.settings, messages);
    return Finish(options, report, messages, watch);
}

CommandRunner DefineExtract(CLI::App& app) {
    auto options = std::make_shared<ExtractOptions>();
    ExtractOptions& o = *options;
    app.add_option("VIDEO", o.video, "the video (.avi, .mpg and what else FFmpeg opens)")
        ->required();
    AddValue(app, "-d,--directory", o.settings.directory, "DIR",
             "the folder that receives the pictures (it must exist, or give --mkdir)")
        ->required();
    AddFlag(app, "--mkdir", o.makeFolder, "make DIR (and its parents) when it does not exist");
    AddValue(app, "--at", o.position, "POSITION",
             "the frame (or 100-ns time) to extract around (default: the middle)")
        ->check(WholeNumberIn(0, std::numeric_limits<int64_t>::max()));
    AddValue(app, "--count", o.settings.frameCount, "N",
             "how many frames, " + std::to_string(video::kMinExtractCount) + " to " +
                 std::to_string(video::kMaxExtractCount) + " (default 5)")
        ->check(WholeNumberIn(video::kMinExtractCount, video::kMaxExtractCount));
    CLI::Option* fields =
        AddFlag(app, "--fields", o.fields, "write the two fields of each frame (default)");
    AddFlag(app, "--no-fields", o.noFields, "write whole frames")->excludes(fields);
    app.footer(kFooter);
    return [options] { return RunExtract(*options); };
}

}  // namespace

LUMIVEX_CLI_COMMAND("extract", kUsage,
                    "Writes the frames around a position of a video to numbered BMP files.",
                    kExample, &DefineExtract);

}  // namespace lumivex::cli
