#include "cli/cli_options.h"

#include <cctype>
#include <charconv>

namespace lumivex::cli {

GlobalOptions& Globals() {
    static GlobalOptions options;
    return options;
}

CLI::Option* Described(CLI::Option* option, const std::string& value) {
    option->option_text(value);
    const std::vector<std::string> words = ValueWords(value);
    if (!words.empty()) {
        option->check(OneOf(words));
    }
    return option->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

CLI::Option* AddFlag(CLI::App& app, const std::string& names, bool& target,
                     const std::string& help) {
    return app.add_flag(names, target, help)->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

CLI::Validator WholeNumberIn(int64_t min, int64_t max) {
    const std::string range = "(" + std::to_string(min) + " to " + std::to_string(max) + ")";
    return CLI::Validator(
        [min, max, range](std::string& text) -> std::string {
            int64_t value = 0;
            const char* end = text.data() + text.size();
            const auto result = std::from_chars(text.data(), end, value);
            if (text.empty() || result.ptr != end ||
                (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)) {
                return text + " is not a whole number " + range;
            }
            if (result.ec != std::errc() || value < min || value > max) {
                return text + " is out of range " + range;
            }
            return {};
        },
        "", "whole number");
}

CLI::Validator Accepting(bool (*accepts)(const std::string&), const std::string& wanted) {
    return CLI::Validator(
        [accepts, wanted](std::string& text) -> std::string {
            return accepts(text) ? std::string() : text + " is not " + wanted;
        },
        "", wanted);
}

CLI::Validator OneOf(std::vector<std::string> words) {
    return CLI::Validator(
        [words](std::string& text) -> std::string {
            std::string list;
            for (const std::string& word : words) {
                if (word == text) {
                    return {};
                }
                list += (list.empty() ? "" : ", ") + word;
            }
            return text + " is not one of " + list;
        },
        "", "one of");
}

std::vector<std::string> ValueWords(const std::string& value) {
    std::vector<std::string> words(1);
    for (const char c : value) {
        if (c == '|') {
            words.emplace_back();
        } else if (std::islower(static_cast<unsigned char>(c))) {
            words.back() += c;
        } else {
            return {};
        }
    }
    return words.size() > 1 ? words : std::vector<std::string>{};
}

}  // namespace lumivex::cli
