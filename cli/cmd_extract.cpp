// lumivex-cli extract: writes the frames around a position of a video to numbered BMP files, as
// the desktop application's "Extract video frames" command does.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_profile_options.h"
#include "cli/cli_stderr_sink.h"
#include "cli/cli_video.h"
#include "cli/command.h"
#include "job/job.h"
#include "video/frame_extraction.h"
#include "video/video_page_model.h"

namespace lumivex::cli {
namespace {

constexpr const char* kUsage =
    "extract VIDEO -d DIR [--at POSITION] [--count N] [--fields|--no-fields]";

struct ExtractOptions {
    std::string video;
    video::ExtractionSettings settings;
    std::optional<int64_t> position;
    bool directoryGiven = false;
};

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: lumivex-cli %s\n\n"
                 "Writes COUNT consecutive distinct frames around POSITION to DIR as\n"
                 "\"LMVX 000.bmp\", \"LMVX 001.bmp\", ... (the reference frame ends in \"ref\"),\n"
                 "or each frame as its two interlaced fields \"...a.bmp\" and \"...b.bmp\".\n\n"
                 "  -d, --directory DIR  folder that receives the pictures (must exist)\n"
                 "  --at POSITION        frame number, or 100-ns units for videos without a\n"
                 "                       constant frame rate (default: the middle)\n"
                 "  --count N            1 ... 30 frames (default 5)\n"
                 "  --fields             write the two fields of each frame (default)\n"
                 "  --no-fields          write whole frames\n\n"
                 "Exit status 1 when nothing could be extracted or a file could not be written.\n",
                 kUsage);
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "lumivex-cli extract: %s\n", message.c_str());
    PrintUsage(stderr);
    return 2;
}

// Takes the value of option; an empty optional means a usage error was reported.
std::optional<int> TakeOption(const std::string& option, const std::string& value,
                              ExtractOptions& options) {
    if (option == "-d" || option == "--directory") {
        options.settings.directory = value;
        options.directoryGiven = true;
    } else if (option == "--at") {
        options.position = ParsePosition(value);
        if (!options.position) {
            return UsageError("--at needs a position from 0, not " + value);
        }
    } else {
        const std::optional<int32_t> count = ParseCount(value);
        if (!count || *count < video::kMinExtractCount || *count > video::kMaxExtractCount) {
            return UsageError("Please enter an integer between 1 and 30.");
        }
        options.settings.frameCount = *count;
    }
    return std::nullopt;
}

// The exit status of a usage error, or nothing when the arguments are complete.
std::optional<int> ParseArguments(const std::vector<std::string>& args, ExtractOptions& options) {
    std::vector<std::string> inputs;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        } else if (arg == "--fields" || arg == "--no-fields") {
            options.settings.separateFields = arg == "--fields";
        } else if (arg == "-d" || arg == "--directory" || arg == "--at" || arg == "--count") {
            if (i + 1 >= args.size()) {
                return UsageError(arg + " needs a value");
            }
            if (std::optional<int> status = TakeOption(arg, args[++i], options)) {
                return status;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            inputs.push_back(arg);
        }
    }
    if (inputs.size() != 1) {
        return UsageError("give exactly one video");
    }
    if (!options.directoryGiven || options.settings.directory.empty()) {
        return UsageError("no output folder given (-d DIR)");
    }
    options.video = inputs[0];
    return std::nullopt;
}

int RunExtract(const std::vector<std::string>& args) {
    ExtractOptions options;
    if (std::optional<int> status = ParseArguments(args, options)) {
        return *status;
    }
    StderrMessageSink errors;
    EnhanceJob job;
    job.videoPath = options.video;
    job.inputKind = kInputVideoChosen;
    video::VideoPageModel page;
    const video::LoadOutcome outcome = page.Load(job, errors);
    if (outcome == video::LoadOutcome::kNothingToLoad) {
        errors.ShowMessage("Cannot open " + options.video);
    }
    if (outcome != video::LoadOutcome::kLoaded || !page.CanGather()) {
        return 1;
    }
    int64_t position = 0;
    page.CurrentPosition(position);
    if (options.position) {
        position = *options.position;
    }
    CollectingMessageSink messages;
    const video::ExtractionReport report =
        video::ExtractFramesAt(options.video, position, page.Format(), options.settings, messages);
    // The last message is the summary when frames were gathered; everything else is an error.
    const size_t summary = report.gatheredFrames ? messages.messages.size() - 1 : SIZE_MAX;
    for (size_t i = 0; i < messages.messages.size(); ++i) {
        if (i == summary) {
            std::printf("%s\n", messages.messages[i].c_str());
        } else {
            errors.ShowMessage(messages.messages[i], messages.captions[i]);
        }
    }
    const bool complete =
        report.gatheredFrames && report.failedFiles.empty() && report.framesWritten > 0;
    return complete ? 0 : 1;
}

}  // namespace

LUMIVEX_CLI_COMMAND("extract", kUsage,
                    "Writes the frames around a position of a video to numbered BMP files.",
                    &RunExtract);

}  // namespace lumivex::cli
