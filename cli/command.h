// The sub-commands of lumivex-cli. Each command lives in its own cmd_*.cpp file and registers
// itself at start-up with a LUMIVEX_CLI_COMMAND line, so adding a command touches no other file.
// A command declares its options on its own CLI11 sub-command; the same declarations give the
// help text, the checks of the command line and the shell completion.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace lumivex::cli {

// Runs the command once its options are parsed; returns the process exit status.
using CommandRunner = std::function<int()>;

struct Command {
    const char* name;
    const char* usage;    // the arguments after the name: "[OPTIONS] FILE..."
    const char* summary;  // one sentence for the command list
    const char* example;  // one or more lines shown under "Example:" in the command's help
    // Declares the options on app and returns what runs the command with their values.
    CommandRunner (*define)(CLI::App& app);
};

bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

}  // namespace lumivex::cli

#define LUMIVEX_CLI_CONCAT2(a, b) a##b
#define LUMIVEX_CLI_CONCAT(a, b) LUMIVEX_CLI_CONCAT2(a, b)
#define LUMIVEX_CLI_COMMAND(...)                                              \
    static const bool LUMIVEX_CLI_CONCAT(lumivex_cli_registered_, __LINE__) = \
        ::lumivex::cli::RegisterCommand(::lumivex::cli::Command{__VA_ARGS__})
