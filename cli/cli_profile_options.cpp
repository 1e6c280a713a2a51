#include "cli/cli_profile_options.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>

#include "cli/cli_options.h"
#include "cli/cli_paths.h"
#include "profiles/aspect_choice.h"

namespace lumivex::cli {

namespace {

constexpr char kSection[] = "resolution";

// The entries of a profile that Lumivex reads, as section and key.
constexpr const char* kKnownEntries[][2] = {
    {"resolution", "scale"},        {"resolution", "maxwidth"},   {"resolution", "maxheight"},
    {"resolution", "proportional"}, {"reconstruction", "method"}, {"reconstruction", "blur"}};

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool IsPositiveReal(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value) && value > 0.0;
}

bool LooksLikePath(const std::string& text) {
    return text.find('/') != std::string::npos ||
           (text.size() > 4 && Lower(text.substr(text.size() - 4)) == ".ini");
}

bool SetsAnything(const EnhanceParams& params) {
    for (const auto& entry : kKnownEntries) {
        if (params.FindValue(entry[0], entry[1]) != nullptr) {
            return true;
        }
    }
    return false;
}

// Loads the profile file at path; a failure when it cannot be read.
std::optional<Failure> LoadProfileFile(const std::string& path, EnhanceParams& params) {
    errno = 0;
    if (!params.Load(path)) {
        const std::string reason = errno != 0 ? ReasonText(errno) : "not a profile";
        return Failure{1, path + ": the profile cannot be read (" + reason + ")"};
    }
    if (!SetsAnything(params)) {
        PrintProblem(path,
                     "the profile sets nothing Lumivex reads (such as scale or maxwidth in "
                     "[resolution]); the output is twice the input size");
    }
    return std::nullopt;
}

std::optional<Failure> LoadNamedProfile(const std::string& name, const ProfileList& list,
                                        EnhanceParams& params, std::string* label) {
    std::string known;
    for (int i = 0; i < list.Count(); ++i) {
        if (Lower(list.DisplayName(i)) == Lower(name)) {
            *label = list.DisplayName(i);
            return LoadProfileFile(list.Path(i), params);
        }
        known += (known.empty() ? "\"" : ", \"") + list.DisplayName(i) + "\"";
    }
    return Failure{
        2, "--profile: no profile is named \"" + name + "\" (the profiles are " + known + ")"};
}

bool IsAspect(const std::string& text) {
    return text == "auto" || AspectFactorFromText(text, 1, 1).has_value();
}

bool IsNotEmpty(const std::string& text) {
    return !text.empty();
}

}  // namespace

std::optional<int32_t> ParseCount(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<OutputSize> ParseSize(const std::string& text) {
    const std::size_t x = Lower(text).find('x');
    if (x == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<int32_t> width = ParseCount(text.substr(0, x));
    const std::optional<int32_t> height = ParseCount(text.substr(x + 1));
    if (!width || !height || *width <= 0 || *height <= 0) {
        return std::nullopt;
    }
    return OutputSize{*width, *height};
}

bool IsSize(const std::string& text) {
    return ParseSize(text).has_value();
}

CLI::Option* DefineAspectOption(CLI::App& app, std::string& aspect) {
    return AddValue(app, "--aspect", aspect, "auto|A:B",
                    "the output's shape: the input's (default) or a ratio such as 16:9")
        ->check(Accepting(&IsAspect, "auto or a ratio such as 16:9"));
}

void DefineProfileOptions(CLI::App& app, ProfileOptions& options) {
    CLI::Option* profile =
        AddValue(app, "--profile", options.profile, "FILE|NAME",
                 "a profile file (.ini), or the name of one 'lumivex-cli profiles' lists")
            ->check(Accepting(&IsNotEmpty, "a profile"));
    CLI::Option* scale = AddValue(app, "--scale", options.scale, "S",
                                  "output = S x input size, S a decimal number above 0 (1.5)")
                             ->check(Accepting(&IsPositiveReal, "a decimal number above 0"));
    CLI::Option* box = AddValue(app, "--max-size", options.maxSize, "WxH",
                                "a box of W x H pixels, turned like the input (1920x1080)")
                           ->check(Accepting(&IsSize, "a size WxH such as 1920x1080"));
    AddValue(app, "--proportional", options.proportional, "true|false",
             "with --max-size: keep the input's shape (default true)")
        ->needs(box);
    profile->excludes(scale)->excludes(box);
    scale->excludes(box);
}

std::optional<Failure> ResolveProfile(const ProfileOptions& options, const ProfileList& list,
                                      EnhanceParams& params, std::string* label) {
    params.Clear();
    if (options.scale) {
        params.WriteString(kSection, "scale", *options.scale);
        *label = "scale " + *options.scale;
    } else if (options.maxSize) {
        const OutputSize box = *ParseSize(*options.maxSize);
        params.WriteInt(kSection, "maxwidth", box.width);
        params.WriteInt(kSection, "maxheight", box.height);
        params.WriteString(kSection, "proportional", options.proportional.value_or("true"));
        *label = "box " + *options.maxSize;
    } else if (options.profile && LooksLikePath(*options.profile)) {
        *label = *options.profile;
        return LoadProfileFile(*options.profile, params);
    } else if (options.profile) {
        return LoadNamedProfile(*options.profile, list, params, label);
    } else if (!list.IsEmpty()) {
        *label = list.DisplayName(0);
        return LoadProfileFile(list.Path(0), params);
    }
    return std::nullopt;
}

}  // namespace lumivex::cli
