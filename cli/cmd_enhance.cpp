// lumivex-cli enhance: the same job and worker as the desktop application, driven from the
// command line.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_enhance_input.h"
#include "cli/cli_enhance_report.h"
#include "cli/cli_job_runner.h"
#include "cli/cli_json_report.h"
#include "cli/cli_messages.h"
#include "cli/cli_metadata.h"
#include "cli/cli_options.h"
#include "cli/cli_paths.h"
#include "cli/cli_profile_options.h"
#include "cli/command.h"
#include "image/jpeg_codec.h"
#include "job/input_set.h"
#include "job/job.h"
#include "profiles/aspect_choice.h"
#include "profiles/output_size.h"
#include "profiles/profile_list.h"

namespace lumivex::cli {

namespace {

constexpr char kUsage[] = "[OPTIONS] INPUT... -o OUT";
constexpr char kExample[] =
    "lumivex-cli enhance burst/*.jpg --scale 2 -o result.jpg --report report.json\n"
    "lumivex-cli enhance clip.avi --at 120 --no-fields --profile \"Full HD 1920x1080\" -o "
    "still.png";

constexpr char kFooter[] =
    "Shifts and transforms (printed, and in --report) are in picture coordinates: origin at the\n"
    "top-left pixel, x right, y down, in input pixels. A shift (sx, sy) says that what is at\n"
    "(x, y) in the reference is at (x + sx, y + sy) in the image. Exit status 1 when the work\n"
    "fails (fewer than two usable pictures among several, an unreadable profile), 2 for a\n"
    "usage error, 130 after Ctrl-C; nothing is written then.";

struct EnhanceOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::optional<int32_t> reference;
    std::optional<int64_t> position;  // --at, for a video input
    bool fields = false;              // --fields: a video's frames enter as two fields (default)
    bool noFields = false;            // --no-fields: a video's frames enter whole
    ProfileOptions profile;
    std::string aspect = "auto";
    std::optional<std::string> method;  // --method; absent: what the profile says
    std::optional<std::string> blur;    // --blur; absent: what the profile says
    std::optional<int> quality;         // JPEG outputs only
    std::string report;
    bool stripMetadata = false;  // the result carries none of the reference picture's metadata
};

bool IsOpticalBlur(const std::string& text) {
    std::optional<double> blur;
    return ParseOpticalBlur(text, blur);
}

std::optional<Failure> CheckNames(const EnhanceOptions& options) {
    if (std::optional<std::string> problem = PictureFormatProblem(options.output)) {
        return Failure{2, *problem};
    }
    std::vector<OutputPath> outputs = {{"-o", options.output}};
    if (!options.report.empty() && options.report != "-") {
        outputs.push_back({"--report", options.report});
    }
    if (std::optional<std::string> problem = OverlapProblem(options.inputs, outputs)) {
        return Failure{2, *problem};
    }
    for (const OutputPath& out : outputs) {
        if (std::optional<std::string> problem = WritableProblem(out.path)) {
            return Failure{1, *problem};
        }
    }
    return std::nullopt;
}

// Several pictures that leave fewer than two to fuse make no enhancement; one picture alone is
// a plain enlargement.
std::optional<Failure> CheckUsable(const EnhanceJob& job, const EnhanceOptions& options) {
    const int32_t given = static_cast<int32_t>(options.inputs.size());
    if (job.inputKind != kInputImageSet || given < 2 || job.FrameCount() >= 2) {
        return std::nullopt;
    }
    return Failure{1, "only " + std::to_string(job.FrameCount()) + " of the " +
                          std::to_string(given) +
                          " pictures can be used, and fusing needs two (the others are named "
                          "above); nothing was written"};
}

std::optional<Failure> FillJob(EnhanceJob& job, const EnhanceOptions& options,
                               EnhanceRunRecord& record) {
    const EnhanceInputRequest request{options.inputs, options.reference.value_or(0),
                                      options.position, !options.noFields};
    const EnhanceInputSource& source = EnhanceInputSourceFor(request);
    const bool pictures = std::string(source.name) == "pictures";
    if (pictures && (options.noFields || options.fields || options.position)) {
        return Failure{2, std::string(options.position ? "--at" : "--fields and --no-fields") +
                              " apply to a video input only"};
    }
    if (!pictures && options.reference) {
        return Failure{2,
                       "--reference applies to pictures only (a video's reference is the frame "
                       "at --at)"};
    }
    if (pictures && options.reference.value_or(0) >= static_cast<int32_t>(options.inputs.size())) {
        return Failure{2, "--reference: " + std::to_string(*options.reference) +
                              " is out of range (0 to " +
                              std::to_string(options.inputs.size() - 1) + ")"};
    }
    FileMessageSink messages(pictures ? std::string() : options.inputs.front());
    std::string error;
    job.Reset();
    if (!source.fill(job, request, messages, &error)) {
        return Failure{1, error};
    }
    record.files = source.files(job, request);
    return CheckUsable(job, options);
}

void ApplyAspect(EnhanceJob& job, const std::string& aspect) {
    ApplyAspectChoice(aspect == "auto", aspect, job.width, job.height, job.mediaFactor,
                      job.verticalFactor);
}

// Writes the report, to its file or (for "-") to standard output.
std::optional<Failure> WriteReport(const EnhanceJob& job, const EnhanceOptions& options,
                                   const EnhanceRunRecord& record) {
    std::string error;
    if (options.report == "-") {
        std::fputs(EnhanceReportJson(job, record).c_str(), stdout);
    } else if (!options.report.empty() &&
               !WriteTextFileAtomically(options.report, EnhanceReportJson(job, record), &error)) {
        return Failure{1, options.report + ": the report cannot be written (" + error + ")"};
    }
    return std::nullopt;
}

// Runs the job and writes the picture and the report; the exit status.
int RunAndWrite(EnhanceJob& job, const EnhanceOptions& options, const InterruptWatch& watch,
                EnhanceRunRecord& record) {
    const bool quiet = Globals().quiet;
    const PictureMetadata metadata =
        CarriedMetadata(ReferencePicturePath(job), options.output, options.stripMetadata);
    job.observer = CollectReports(record);
    const auto start = std::chrono::steady_clock::now();
    record.status = RunJobToEnd(job, watch, !quiet);
    record.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    job.observer = nullptr;
    if (record.status == kEnhanceCancelled) {
        return Report(watch.Cancellation());
    }
    if (record.status != kEnhanceSucceeded) {
        const std::string why = EnhanceFailureText(job, record.output);
        return Report(Failure{1, !why.empty() ? why
                                              : "the enhancement failed (status " +
                                                    std::to_string(record.status) +
                                                    "); nothing was written"});
    }
    SetJpegQuality(options.quality.value_or(kDefaultJpegQuality));
    std::string reason;
    if (!SaveCarryingMetadata(job.result, options.output, metadata, &reason)) {
        if (watch.Interrupted()) {
            return Report(watch.Cancellation());
        }
        return Report(Failure{1, options.output + ": cannot be written (" + reason + ")"});
    }
    if (std::optional<Failure> failure = WriteReport(job, options, record)) {
        if (watch.Interrupted()) {
            failure->status = watch.ExitStatus();
            failure->message += " (" + options.output + " was written)";
        }
        return Report(*failure);
    }
    if (const std::string warning = NothingFusedWarning(job, record); !warning.empty()) {
        const bool video = job.inputKind == kInputVideoGathered && !record.files.empty();
        PrintProblem(video ? record.files.front() : "", warning);
    }
    if (!quiet) {
        // With the report on stdout, the lines for people go to stderr.
        std::FILE* people = options.report == "-" ? stderr : stdout;
        std::fprintf(people, "%s", RegistrationSummary(job, record).c_str());
        std::fprintf(people, "Wrote %s (%dx%d, profile %s)\n", options.output.c_str(),
                     record.output.width, record.output.height, record.profile.c_str());
    }
    return 0;
}

// A --scale too small to leave one pixel would fall back, silently, to the default size.
std::optional<Failure> ScaleProblem(const EnhanceJob& job,
                                    const std::optional<std::string>& scale) {
    if (!scale || ScaleRuleGivesSize(job.width, job.height, job.verticalFactor, job.params)) {
        return std::nullopt;
    }
    return Failure{2, "--scale: " + *scale + " leaves no pixel of the " +
                          std::to_string(job.width) + " x " + std::to_string(job.height) +
                          " input"};
}

// Everything before the run: the names, the profile, the inputs and the output size.
std::optional<Failure> Prepare(EnhanceJob& job, const EnhanceOptions& options,
                               EnhanceRunRecord& record) {
    if (std::optional<Failure> failure = CheckNames(options)) {
        return failure;
    }
    if (std::optional<std::string> warning =
            UnusedQualityWarning(options.quality, options.output)) {
        PrintProblem({}, *warning);
    }
    ProfileList profiles;
    EnumerateProfiles(profiles);
    EnhanceParams params;
    if (std::optional<Failure> failure =
            ResolveProfile(options.profile, profiles, params, &record.profile)) {
        return failure;
    }
    if (std::optional<Failure> failure = FillJob(job, options, record)) {
        return failure;
    }
    job.params = params;
    std::string methodWarning;
    job.method = options.method ? (*options.method == "quality" ? ReconstructionMethod::kQuality
                                                                : ReconstructionMethod::kStandard)
                                : ReconstructionMethodOf(params, &methodWarning);
    if (!methodWarning.empty()) {
        PrintProblem(record.profile, CommandLineText(methodWarning));
    }
    std::string blurWarning;
    job.blurSigma = OpticalBlurOf(params, &blurWarning);
    if (options.blur && job.method != ReconstructionMethod::kQuality) {
        PrintProblem({},
                     "--blur: ignored, only the quality method (--method quality) models a "
                     "blur");
    }
    if (options.blur) {
        ParseOpticalBlur(*options.blur, job.blurSigma);  // checked when the option was read
    } else if (!blurWarning.empty()) {
        PrintProblem(record.profile, CommandLineText(blurWarning));
    }
    ApplyAspect(job, options.aspect);
    if (std::optional<Failure> failure = ScaleProblem(job, options.profile.scale)) {
        return failure;
    }
    record.output = ComputeOutputSize(job, job.params);
    const std::string refusal = EnhancementRefusal(job, record.output);
    if (!refusal.empty()) {
        return Failure{1, CommandLineText(refusal)};
    }
    return std::nullopt;
}

int RunEnhanceCommand(const EnhanceOptions& options) {
    const InterruptWatch watch;  // from here on, a signal (Ctrl-C) cancels and nothing is written
    EnhanceJob job;
    EnhanceRunRecord record;
    if (std::optional<Failure> failure = Prepare(job, options, record)) {
        return Report(watch.Interrupted() ? watch.Cancellation() : *failure);
    }
    return RunAndWrite(job, options, watch, record);
}

CommandRunner DefineEnhance(CLI::App& app) {
    auto options = std::make_shared<EnhanceOptions>();
    EnhanceOptions& o = *options;
    app.add_option("INPUT", o.inputs,
                   "two or more pictures of one scene (BMP, JPEG, PNG, TIFF), or one video")
        ->required()
        ->option_text("...");
    AddValue(app, "-o,--output", o.output, "OUT",
             "the picture to write; its extension chooses BMP, JPEG, PNG or TIFF")
        ->required();
    AddValue(app, "--reference", o.reference, "N",
             "the input (from 0) the others are registered to (default 0; pictures only)")
        ->check(WholeNumberIn(0, std::numeric_limits<int32_t>::max()));
    AddValue(app, "--at", o.position, "POSITION",
             "video: the frame (or 100-ns time) to enhance around (default: the middle)")
        ->check(WholeNumberIn(0, std::numeric_limits<int64_t>::max()));
    CLI::Option* fields = AddFlag(app, "--fields", o.fields,
                                  "video: each frame enters as its two fields (the default)");
    AddFlag(app, "--no-fields", o.noFields,
            "video: each frame enters whole (for progressive video)")
        ->excludes(fields);
    DefineProfileOptions(app, o.profile);
    DefineAspectOption(app, o.aspect);
    AddValue(app, "--method", o.method, "standard|quality",
             "the reconstruction, whatever the profile says");
    AddValue(app, "--blur", o.blur, "SIGMA|auto",
             "quality method: the camera's optical blur, 0 to 2 input pixels, or auto")
        ->check(Accepting(&IsOpticalBlur, "auto or a blur from 0 to 2"));
    AddValue(app, "--quality", o.quality, "1..100", "JPEG output quality (default 75)")
        ->check(WholeNumberIn(1, 100));
    AddValue(app, "--report", o.report, "FILE.json|-",
             "write the registration of every image as JSON (- : standard output)");
    AddFlag(app, "--strip-metadata", o.stripMetadata,
            "the result carries none of the reference picture's metadata");
    app.footer(kFooter);
    return [options] { return RunEnhanceCommand(*options); };
}

}  // namespace

LUMIVEX_CLI_COMMAND("enhance", kUsage,
                    "Fuses several pictures of one scene into one larger, sharper picture.",
                    kExample, &DefineEnhance);

}  // namespace lumivex::cli
