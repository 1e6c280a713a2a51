// lumivex-cli: the command-line front end over the Lumivex libraries.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/parallel.h"

namespace lumivex::cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

void PrintHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: lumivex-cli [--help] [--version] [--threads N] COMMAND [ARGS...]\n\n"
                 "Makes one sharper, larger picture out of several pictures of the same scene.\n\n"
                 "Commands:\n");
    for (const Command& c : Commands()) {
        std::fprintf(out, "  %-12s %s\n  %-12s   usage: lumivex-cli %s\n", c.name, c.summary, "",
                     c.usage);
    }
    std::fprintf(out, "\nRun 'lumivex-cli COMMAND --help' for the options of one command.\n");
}
}  // namespace

bool RegisterCommand(const Command& command) {
    Registry().push_back(command);
    std::sort(Registry().begin(), Registry().end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
    return true;
}

const std::vector<Command>& Commands() { return Registry(); }

}  // namespace lumivex::cli

int main(int argc, char** argv) {
    using namespace lumivex::cli;
    // --threads N (a global option, before the command): threads the engine may use.
    if (argc >= 2 && std::strcmp(argv[1], "--threads") == 0) {
        char* end = nullptr;
        const long n = argc >= 3 ? std::strtol(argv[2], &end, 10) : 0;
        if (argc < 3 || *argv[2] == '\0' || *end != '\0' || n < 1 || n > 1024) {
            std::fprintf(stderr, "lumivex-cli: --threads needs a whole number from 1 to 1024\n");
            return 2;
        }
        lumivex::SetEngineThreadCount(static_cast<int>(n));
        argv += 2;
        argc -= 2;
    }
    if (argc < 2) {
        PrintHelp(stderr);
        return 2;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help") {
        PrintHelp(stdout);
        return 0;
    }
    if (first == "--version" || first == "-V") {
        std::printf("lumivex-cli %s\n", LUMIVEX_VERSION);
        return 0;
    }
    for (const Command& c : Commands()) {
        if (first == c.name) {
            return c.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "lumivex-cli: unknown command '%s'\n\n", first.c_str());
    PrintHelp(stderr);
    return 2;
}
