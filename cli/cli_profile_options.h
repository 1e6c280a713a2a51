// The profile options shared by the commands that size an output: --profile FILE|NAME, or an
// ad-hoc profile from --scale S or --max-size WxH [--proportional true|false]; and the small
// value parsers they need.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "profiles/enhance_params.h"
#include "profiles/output_size.h"
#include "profiles/profile_list.h"

namespace lumivex::cli {

struct ProfileOptions {
    std::optional<std::string> profile;
    std::optional<std::string> scale;
    std::optional<std::string> maxSize;
    std::optional<std::string> proportional;
};

bool IsProfileOption(const std::string& option);
// Stores the value of a profile option; false when the value is malformed.
bool TakeProfileOption(const std::string& option, const std::string& value,
                       ProfileOptions& options);
// A message when the options do not go together.
std::optional<std::string> CheckProfileOptions(const ProfileOptions& options);

// Fills params from the options: the ad-hoc profile, the named or given profile file, or the
// first profile of the list. A profile file that cannot be read leaves an empty profile (twice
// the input size) with a warning on stderr. *label names what was used. Returns a message for a
// name that matches no profile.
std::optional<std::string> ResolveProfile(const ProfileOptions& options, const ProfileList& list,
                                          EnhanceParams& params, std::string* label);

// A whole non-negative decimal integer ("12"), nothing else.
std::optional<int32_t> ParseCount(const std::string& text);
// "WxH" with two positive integers.
std::optional<OutputSize> ParseSize(const std::string& text);

}  // namespace lumivex::cli
