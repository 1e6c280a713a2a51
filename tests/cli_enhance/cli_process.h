// Runs the lumivex-cli executable as a user runs it, its output caught in files of a folder.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace lumivex::testing_cli {

struct CliResult {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Starts lumivex-cli with args, its stdout and stderr going to folder/stdout.txt, stderr.txt,
// SIGINT, SIGTERM and SIGHUP at their defaults (but keepIgnored as this process has it).
pid_t StartCli(const std::vector<std::string>& args, const std::string& folder,
               int keepIgnored = 0);
// Waits for the process and reads what it printed.
CliResult WaitCli(pid_t pid, const std::string& folder);
CliResult RunCli(const std::vector<std::string>& args, const std::string& folder);

std::string ReadText(const std::string& path);

// Waits (up to 20 s) until the process catches signal, that is until its handler is installed.
void WaitUntilCatching(pid_t pid, int signal);

}  // namespace lumivex::testing_cli
