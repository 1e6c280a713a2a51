#include "tests/cli_enhance/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace lumivex::testing_cli {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

pid_t StartCli(const std::vector<std::string>& args, const std::string& folder, int keepIgnored) {
    std::vector<std::string> all = {LUMIVEX_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (folder + "/stdout.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (folder + "/stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // The program starts with the stop signals at their defaults and none blocked, whatever the
    // test runner was started with; keepIgnored stays as this process has it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigemptyset(&none);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (signal != keepIgnored) {
            sigaddset(&defaults, signal);
        }
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ), 0);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

CliResult WaitCli(pid_t pid, const std::string& folder) {
    int status = 0;
    waitpid(pid, &status, 0);
    CliResult result;
    result.out = ReadText(folder + "/stdout.txt");
    result.err = ReadText(folder + "/stderr.txt");
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

void WaitUntilCatching(pid_t pid, int signal) {
    const auto caught = [pid, signal] {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigCgt:", 0) == 0) {
                return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (signal - 1))) != 0;
            }
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!caught()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the program did not catch signal " << signal << " within 20 s";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& folder) {
    return WaitCli(StartCli(args, folder), folder);
}

}  // namespace lumivex::testing_cli
