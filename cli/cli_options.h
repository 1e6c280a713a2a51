// How lumivex-cli's commands declare their options on CLI11: every option shows its value as the
// help and the shell completion need it ("--method standard|quality"), may be given once, and
// its checks speak in the command line's own words ("--count: 0 is out of range (1 to 30)").
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumivex::cli {

// The options of the program itself, accepted before or after the command name.
struct GlobalOptions {
    int threads = 0;  // 0: all the machine's cores
    bool quiet = false;
};
GlobalOptions& Globals();

// A value option; value names what it takes ("N", "FILE", "standard|quality"). Lower-case words
// joined by '|' are the only values it accepts.
template <typename T>
CLI::Option* AddValue(CLI::App& app, const std::string& names, T& target, const std::string& value,
                      const std::string& help);
// The same for a value that may be absent: target is set only when the option is given.
template <typename T>
CLI::Option* AddValue(CLI::App& app, const std::string& names, std::optional<T>& target,
                      const std::string& value, const std::string& help);
// A flag: true when given.
CLI::Option* AddFlag(CLI::App& app, const std::string& names, bool& target,
                     const std::string& help);

// Checks a value is a whole number from min to max ("--count: 0 is out of range (1 to 30)").
CLI::Validator WholeNumberIn(int64_t min, int64_t max);
// Checks accepts(value) ("--scale: 0 is not a number above 0", wanted "a number above 0").
CLI::Validator Accepting(bool (*accepts)(const std::string&), const std::string& wanted);
// Checks a value is one of words ("--method: fast is not one of standard, quality").
CLI::Validator OneOf(std::vector<std::string> words);

// The words of a value such as "standard|quality"; empty when it names a kind of value ("N").
std::vector<std::string> ValueWords(const std::string& value);

// The value shown and its words checked, once per option.
CLI::Option* Described(CLI::Option* option, const std::string& value);

template <typename T>
CLI::Option* AddValue(CLI::App& app, const std::string& names, T& target, const std::string& value,
                      const std::string& help) {
    return Described(app.add_option(names, target, help), value);
}

template <typename T>
CLI::Option* AddValue(CLI::App& app, const std::string& names, std::optional<T>& target,
                      const std::string& value, const std::string& help) {
    return Described(app.add_option_function<T>(
                         names, [&target](const T& given) { target = given; }, help),
                     value);
}

}  // namespace lumivex::cli
