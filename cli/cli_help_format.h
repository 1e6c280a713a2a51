// How lumivex-cli's help looks: each command's usage line as the command states it, its options
// one line each, the program's own options, and an example.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace lumivex::cli {

class HelpFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_footer(const CLI::App* app) const override;
    // The value the option takes as its declaration names it, and nothing else, so that every
    // option fits on its line.
    std::string make_option_opts(const CLI::Option* option) const override;
};

// "usage: lumivex-cli enhance [OPTIONS] INPUT... -o OUT", for usage errors.
std::string UsageLine(const CLI::App& app);

}  // namespace lumivex::cli
