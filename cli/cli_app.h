// The whole command line of lumivex-cli on CLI11: the program's own options (--threads, --quiet,
// before or after the command), every registered command with its options, "help COMMAND",
// and the usage errors (status 2).
#pragma once

namespace lumivex::cli {

int RunCommandLine(int argc, char** argv);

}  // namespace lumivex::cli
