// lumivex-cli: the command-line front end over the Lumivex libraries.
#include <algorithm>
#include <cstring>
#include <vector>

#include "cli/cli_app.h"
#include "cli/command.h"

namespace lumivex::cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

bool RegisterCommand(const Command& command) {
    Registry().push_back(command);
    std::sort(Registry().begin(), Registry().end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

}  // namespace lumivex::cli

int main(int argc, char** argv) {
    return lumivex::cli::RunCommandLine(argc, argv);
}
