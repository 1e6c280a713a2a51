// lumivex-cli profiles: every profile with the output size it gives, as the profile selection
// lists them.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_profile_options.h"
#include "cli/command.h"
#include "profiles/aspect_choice.h"
#include "profiles/profile_choices.h"
#include "profiles/profile_list.h"

namespace lumivex::cli {

namespace {

constexpr char kUsage[] = "[OPTIONS]";
constexpr char kExample[] = "lumivex-cli profiles --size 1280x720 --aspect 16:9";

struct ProfilesOptions {
    std::string size = "640x480";
    std::string aspect = "auto";
};

int RunProfiles(const ProfilesOptions& options) {
    const OutputSize input = *ParseSize(options.size);
    double factor = 1.0;  // still pictures: the media's own factor is 1
    int32_t width = input.width, height = input.height;
    ApplyAspectChoice(options.aspect == "auto", options.aspect, width, height, 1.0, factor);
    ProfileList profiles;
    EnumerateProfiles(profiles);
    std::printf("Output sizes for a %dx%d input:\n", width, height);
    for (const ProfileChoice& choice : ListProfileChoices(profiles, width, height, factor)) {
        std::printf("  %-32s %6dx%-6d %s\n", choice.name.c_str(), choice.size.width,
                    choice.size.height, profiles.Path(choice.index).c_str());
    }
    return 0;
}

CommandRunner DefineProfiles(CLI::App& app) {
    auto options = std::make_shared<ProfilesOptions>();
    AddValue(app, "--size", options->size, "WxH", "the input size to size for (default 640x480)")
        ->check(Accepting(&IsSize, "a size WxH such as 640x480"));
    DefineAspectOption(app, options->aspect);
    return [options] { return RunProfiles(*options); };
}

}  // namespace

LUMIVEX_CLI_COMMAND("profiles", kUsage,
                    "Lists every enhancement profile with the output size it gives.", kExample,
                    &DefineProfiles);

}  // namespace lumivex::cli
