// lumivex-cli enhance: the same job and worker as the desktop application, driven from the
// command line.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_enhance_input.h"
#include "cli/cli_enhance_report.h"
#include "cli/cli_job_runner.h"
#include "cli/cli_json_report.h"
#include "cli/cli_metadata.h"
#include "cli/cli_paths.h"
#include "cli/cli_profile_options.h"
#include "cli/cli_stderr_sink.h"
#include "cli/cli_video.h"
#include "cli/command.h"
#include "image/image_codec.h"
#include "job/input_set.h"
#include "job/job.h"
#include "profiles/aspect_choice.h"
#include "profiles/profile_list.h"

namespace lumivex::cli {

namespace {

constexpr char kUsage[] =
    "enhance [--reference N] [--at POSITION] [--no-fields] [--profile FILE|NAME | --scale S | "
    "--max-size WxH "
    "[--proportional true|false]] [--aspect auto|A:B] [--method standard|quality] "
    "[--report FILE.json] [--strip-metadata] [--quiet] "
    "INPUT... -o OUTPUT";

struct EnhanceOptions {
    std::vector<std::string> inputs;
    std::string output;
    int32_t reference = 0;
    std::optional<int64_t> position;  // --at, for a video input
    bool fields = true;               // --no-fields: a video's frames enter whole
    ProfileOptions profile;
    std::string aspect = "auto";
    std::optional<ReconstructionMethod> method;  // --method; absent: what the profile says
    std::string report;
    bool quiet = false;
    bool stripMetadata = false;  // the result carries none of the reference picture's metadata
    bool help = false;
};

struct Failure {
    int status;
    std::string message;
};

int Report(const Failure& failure) {
    std::fprintf(stderr, "lumivex-cli enhance: %s\n", failure.message.c_str());
    if (failure.status == 2) {
        std::fprintf(stderr, "usage: lumivex-cli %s\n", kUsage);
    }
    return failure.status;
}

// Options that take a value, in both "--name VALUE" and "--name=VALUE" forms.
bool TakeValue(const std::string& option, std::string& value, EnhanceOptions& options) {
    if (option == "-o" || option == "--output") {
        options.output = value;
    } else if (option == "--reference") {
        const std::optional<int32_t> reference = ParseCount(value);
        if (!reference) {
            return false;
        }
        options.reference = *reference;
    } else if (option == "--at") {
        options.position = ParsePosition(value);
        if (!options.position) {
            return false;
        }
    } else if (option == "--aspect") {
        options.aspect = value;
    } else if (option == "--report") {
        options.report = value;
    } else if (option == "--method") {
        if (value != "standard" && value != "quality") {
            return false;
        }
        options.method =
            value == "quality" ? ReconstructionMethod::kQuality : ReconstructionMethod::kStandard;
    } else {
        return TakeProfileOption(option, value, options.profile);
    }
    return true;
}

bool IsValueOption(const std::string& option) {
    return option == "-o" || option == "--output" || option == "--reference" || option == "--at" ||
           option == "--aspect" || option == "--report" || option == "--method" ||
           IsProfileOption(option);
}

std::optional<Failure> ParseArguments(const std::vector<std::string>& args,
                                      EnhanceOptions& options) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--fields" || arg == "--no-fields") {
            options.fields = arg == "--fields";
        } else if (arg == "--strip-metadata") {
            options.stripMetadata = true;
        } else {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(0, equals);
            if (!IsValueOption(name)) {
                return Failure{2, "unknown option " + arg};
            }
            std::string value;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return Failure{2, name + " needs a value"};
            }
            if (!TakeValue(name, value, options)) {
                return Failure{2, "invalid value for " + name + ": " + value};
            }
        }
    }
    if (options.help) {
        return std::nullopt;
    }
    if (options.inputs.empty()) {
        return Failure{2, "no input given"};
    }
    if (options.output.empty()) {
        return Failure{2, "no output given (-o OUTPUT)"};
    }
    if (!CodecForWriting(options.output)) {
        return Failure{2, UnwritableNameText(options.output)};
    }
    if (options.aspect != "auto" && !AspectFactorFromText(options.aspect, 1, 1)) {
        return Failure{2, "--aspect needs auto or a ratio such as 16:9, not " + options.aspect};
    }
    if (std::optional<std::string> problem = CheckProfileOptions(options.profile)) {
        return Failure{2, *problem};
    }
    return std::nullopt;
}

std::optional<Failure> FillJob(EnhanceJob& job, const EnhanceOptions& options,
                               EnhanceRunRecord& record) {
    const EnhanceInputRequest request{options.inputs, options.reference, options.position,
                                      options.fields};
    const EnhanceInputSource& source = EnhanceInputSourceFor(request);
    if (std::string(source.name) == "pictures" && !options.fields) {
        return Failure{2, "--no-fields applies to a video input only"};
    }
    if (std::string(source.name) == "pictures" &&
        options.reference >= static_cast<int32_t>(options.inputs.size())) {
        return Failure{2, "--reference " + std::to_string(options.reference) +
                              " is out of range: the inputs are numbered 0 to " +
                              std::to_string(options.inputs.size() - 1)};
    }
    StderrMessageSink messages;
    std::string error;
    job.Reset();
    if (!source.fill(job, request, messages, &error)) {
        return Failure{1, error};
    }
    record.files = source.files(job, request);
    return std::nullopt;
}

void ApplyAspect(EnhanceJob& job, const std::string& aspect) {
    ApplyAspectChoice(aspect == "auto", aspect, job.width, job.height, job.mediaFactor,
                      job.verticalFactor);
}

bool FolderExists(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Runs the job and writes the picture and the report; the exit status.
int RunAndWrite(EnhanceJob& job, const EnhanceOptions& options, const InterruptWatch& watch,
                EnhanceRunRecord& record) {
    const PictureMetadata metadata =
        CarriedMetadata(ReferencePicturePath(job), options.output, options.stripMetadata);
    job.observer = CollectReports(record);
    const auto start = std::chrono::steady_clock::now();
    record.status = RunJobToEnd(job, watch, !options.quiet);
    record.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    job.observer = nullptr;
    if (record.status == kEnhanceCancelled) {
        std::fprintf(stderr, "lumivex-cli enhance: cancelled; nothing was written\n");
        return kExitCancelled;
    }
    if (record.status != kEnhanceSucceeded) {
        const std::string why = EnhanceFailureText(job, record.output);
        return Report(Failure{1, !why.empty() ? why
                                              : "the enhancement failed (status " +
                                                    std::to_string(record.status) + ")"});
    }
    std::string error;
    if (!SaveCarryingMetadata(job.result, options.output, metadata, &error)) {
        return Report(Failure{1, "cannot write " + options.output + ": " + error});
    }
    const bool reportToStdout = options.report == "-";
    if (reportToStdout) {
        std::fputs(EnhanceReportJson(job, record).c_str(), stdout);
    } else if (!options.report.empty() &&
               !WriteTextFileAtomically(options.report, EnhanceReportJson(job, record), &error)) {
        return Report(Failure{1, "cannot write the report: " + error});
    }
    if (!options.quiet) {
        // With the report on stdout, the lines for people go to stderr.
        std::FILE* people = reportToStdout ? stderr : stdout;
        std::fprintf(people, "%s", RegistrationSummary(job, record).c_str());
        std::fprintf(people, "Wrote %s (%dx%d, profile %s)\n", options.output.c_str(),
                     record.output.width, record.output.height, record.profile.c_str());
    }
    return 0;
}

int RunEnhance(const std::vector<std::string>& args) {
    EnhanceOptions options;
    if (std::optional<Failure> failure = ParseArguments(args, options)) {
        return Report(*failure);
    }
    if (options.help) {
        std::printf("usage: lumivex-cli %s\n", kUsage);
        return 0;
    }
    std::vector<OutputPath> outputs = {{"-o", options.output}};
    if (!options.report.empty() && options.report != "-") {
        outputs.push_back({"--report", options.report});
    }
    if (std::optional<std::string> problem = OverlapProblem(options.inputs, outputs)) {
        return Report(Failure{2, *problem});
    }
    const InterruptWatch watch;  // from here on, Ctrl-C cancels and nothing is written
    ProfileList profiles;
    EnumerateProfiles(profiles);
    EnhanceParams params;
    EnhanceRunRecord record;
    if (std::optional<std::string> problem =
            ResolveProfile(options.profile, profiles, params, &record.profile)) {
        return Report(Failure{2, *problem});
    }
    EnhanceJob job;
    if (std::optional<Failure> failure = FillJob(job, options, record)) {
        return Report(*failure);
    }
    job.params = params;
    std::string methodWarning;
    job.method = options.method ? *options.method : ReconstructionMethodOf(params, &methodWarning);
    if (!methodWarning.empty()) {
        std::fprintf(stderr, "lumivex-cli enhance: %s\n", methodWarning.c_str());
    }
    ApplyAspect(job, options.aspect);
    record.output = ComputeOutputSize(job, job.params);
    const std::string refusal = EnhancementRefusal(job, record.output);
    if (!refusal.empty()) {
        return Report(Failure{1, refusal});
    }
    if (!FolderExists(options.output)) {
        return Report(Failure{1, "the folder of " + options.output + " does not exist"});
    }
    return RunAndWrite(job, options, watch, record);
}

}  // namespace

LUMIVEX_CLI_COMMAND("enhance", kUsage,
                    "Fuses several pictures of one scene into one larger, sharper picture.",
                    &RunEnhance);

}  // namespace lumivex::cli
