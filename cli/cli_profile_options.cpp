#include "cli/cli_profile_options.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace lumivex::cli {

namespace {

constexpr char kSection[] = "resolution";

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

std::optional<std::string> LoadNamedProfile(const std::string& name, const ProfileList& list,
                                            EnhanceParams& params, std::string* label) {
    std::string known;
    for (int i = 0; i < list.Count(); ++i) {
        if (Lower(list.DisplayName(i)) == Lower(name)) {
            params.Load(list.Path(i));
            *label = list.DisplayName(i);
            return std::nullopt;
        }
        known += (known.empty() ? "\"" : ", \"") + list.DisplayName(i) + "\"";
    }
    return "no profile is named \"" + name + "\"; the profiles are " + known;
}

void LoadProfileFile(const std::string& path, EnhanceParams& params, std::string* label) {
    if (!params.Load(path)) {
        std::fprintf(stderr,
                     "lumivex-cli: the profile %s could not be read; the output is twice the "
                     "input size\n",
                     path.c_str());
    }
    *label = path;
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

bool IsProfileOption(const std::string& option) {
    return option == "--profile" || option == "--scale" || option == "--max-size" ||
           option == "--proportional";
}

bool TakeProfileOption(const std::string& option, const std::string& value,
                       ProfileOptions& options) {
    if (option == "--profile") {
        options.profile = value;
        return !value.empty();
    }
    if (option == "--scale") {
        options.scale = value;
        return IsPositiveReal(value);
    }
    if (option == "--max-size") {
        options.maxSize = value;
        return ParseSize(value).has_value();
    }
    if (option == "--proportional") {
        options.proportional = value;
        return value == "true" || value == "false";
    }
    return false;
}

std::optional<std::string> CheckProfileOptions(const ProfileOptions& options) {
    const int chosen =
        (options.profile ? 1 : 0) + (options.scale ? 1 : 0) + (options.maxSize ? 1 : 0);
    if (chosen > 1) {
        return "--profile, --scale and --max-size exclude each other";
    }
    if (options.proportional && !options.maxSize) {
        return "--proportional goes with --max-size";
    }
    return std::nullopt;
}

std::optional<std::string> ResolveProfile(const ProfileOptions& options, const ProfileList& list,
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
        LoadProfileFile(*options.profile, params, label);
    } else if (options.profile) {
        return LoadNamedProfile(*options.profile, list, params, label);
    } else if (!list.IsEmpty()) {
        LoadProfileFile(list.Path(0), params, label);
        *label = list.DisplayName(0);
    }
    return std::nullopt;
}

}  // namespace lumivex::cli
