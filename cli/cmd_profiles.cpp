// lumivex-cli profiles: every profile with the output size it gives, as the profile selection
// lists them.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_profile_options.h"
#include "cli/command.h"
#include "profiles/aspect_choice.h"
#include "profiles/profile_choices.h"
#include "profiles/profile_list.h"

namespace lumivex::cli {

namespace {

constexpr char kUsage[] = "profiles [--size WxH] [--aspect A:B]";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "lumivex-cli profiles: %s\nusage: lumivex-cli %s\n", message.c_str(),
                 kUsage);
    return 2;
}

int RunProfiles(const std::vector<std::string>& args) {
    OutputSize input{640, 480};
    std::string aspect = "auto";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::printf("usage: lumivex-cli %s\n", kUsage);
            return 0;
        }
        if ((arg != "--size" && arg != "--aspect") || i + 1 >= args.size()) {
            return UsageError("unexpected argument " + arg);
        }
        const std::string& value = args[++i];
        if (arg == "--aspect") {
            aspect = value;
            continue;
        }
        const std::optional<OutputSize> size = ParseSize(value);
        if (!size) {
            return UsageError("--size needs WxH, not " + value);
        }
        input = *size;
    }
    double factor = 1.0;  // still pictures: the media's own factor is 1
    if (!ApplyAspectChoice(aspect == "auto", aspect, input.width, input.height, 1.0, factor)) {
        return UsageError("--aspect needs auto or a ratio such as 16:9, not " + aspect);
    }
    ProfileList profiles;
    EnumerateProfiles(profiles);
    std::printf("Output sizes for a %dx%d input:\n", input.width, input.height);
    for (const ProfileChoice& choice :
         ListProfileChoices(profiles, input.width, input.height, factor)) {
        std::printf("  %-32s %6dx%-6d %s\n", choice.name.c_str(), choice.size.width,
                    choice.size.height, profiles.Path(choice.index).c_str());
    }
    return 0;
}

}  // namespace

LUMIVEX_CLI_COMMAND("profiles", kUsage,
                    "Lists every enhancement profile with the output size it gives.", &RunProfiles);

}  // namespace lumivex::cli
