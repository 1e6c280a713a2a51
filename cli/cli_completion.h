// The bash and zsh completion scripts of lumivex-cli, written from the same option declarations
// as its help: the commands, each command's options, the words an option takes, folders after a
// DIR option, profile names and files after --profile, files elsewhere.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace lumivex::cli {

// The script for shell ("bash" or "zsh"); app is the whole command line.
std::string CompletionScript(const CLI::App& app, const std::string& shell);

}  // namespace lumivex::cli
