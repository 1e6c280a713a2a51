// The profile options shared by the commands that size an output: --profile FILE|NAME, or an
// ad-hoc profile from --scale S or --max-size WxH [--proportional true|false]; and the small
// value parsers they need.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli_messages.h"
#include "profiles/enhance_params.h"
#include "profiles/output_size.h"
#include "profiles/profile_list.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace lumivex::cli {

struct ProfileOptions {
    std::optional<std::string> profile;
    std::optional<std::string> scale;
    std::optional<std::string> maxSize;
    std::optional<std::string> proportional;
};

// Declares the four options on app, with their checks: --profile, --scale and --max-size
// exclude each other, --proportional needs --max-size.
void DefineProfileOptions(CLI::App& app, ProfileOptions& options);

// --aspect auto|A:B, checked.
CLI::Option* DefineAspectOption(CLI::App& app, std::string& aspect);

// Fills params from the options: the ad-hoc profile, the named or given profile file, or the
// first profile of the list. *label names what was used. A name that matches no profile is a
// usage error (status 2), a profile file that cannot be read a failure (status 1); a profile
// that sets nothing Lumivex reads is used with a warning on stderr.
std::optional<Failure> ResolveProfile(const ProfileOptions& options, const ProfileList& list,
                                      EnhanceParams& params, std::string* label);

// A whole non-negative decimal integer ("12"), nothing else.
std::optional<int32_t> ParseCount(const std::string& text);
// "WxH" with two positive integers.
std::optional<OutputSize> ParseSize(const std::string& text);
bool IsSize(const std::string& text);

}  // namespace lumivex::cli
