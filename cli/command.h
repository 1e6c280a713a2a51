// The sub-commands of lumivex-cli. Each command lives in its own cmd_*.cpp file and registers
// itself at start-up with a LUMIVEX_CLI_COMMAND line, so adding a command touches no other file.
#pragma once

#include <string>
#include <vector>

namespace lumivex::cli {

// Arguments after the command name; returns the process exit status.
using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* usage;    // one line: "info [--json] FILE..."
    const char* summary;  // one sentence for --help
    CommandFunction run;
};

bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

}  // namespace lumivex::cli

#define LUMIVEX_CLI_CONCAT2(a, b) a##b
#define LUMIVEX_CLI_CONCAT(a, b) LUMIVEX_CLI_CONCAT2(a, b)
#define LUMIVEX_CLI_COMMAND(...)                                                  \
    static const bool LUMIVEX_CLI_CONCAT(lumivex_cli_registered_, __LINE__) =    \
        ::lumivex::cli::RegisterCommand(::lumivex::cli::Command{__VA_ARGS__})
