#include "cli/cli_app.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "cli/cli_completion.h"
#include "cli/cli_help_format.h"
#include "cli/cli_messages.h"
#include "cli/cli_options.h"
#include "cli/cli_paths.h"
#include "cli/command.h"
#include "engine/parallel.h"

namespace lumivex::cli {

namespace {

constexpr char kDescription[] =
    "Makes one sharper, larger picture out of several pictures of the same scene.";
constexpr char kFooter[] = "Run 'lumivex-cli help COMMAND' for the options of one command.";

struct ProgramFlags {
    bool version = false;
    std::string completion;  // a shell, for the completion script
};

// The command of the error: the innermost command that was named.
const CLI::App& CommandOf(const CLI::App& app) {
    const auto named = app.get_subcommands();
    return named.empty() ? app : *named.front();
}

// CLI11's text of a parse error in the command line's words.
std::string UsageText(const CLI::ParseError& error) {
    std::string text = error.what();
    const std::size_t atMost = text.find(": At Most ");
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr &&
        atMost != std::string::npos) {
        return text.substr(0, atMost) + ": given more than once";
    }
    return CommandLineText(text);
}

// The usage error of command (the program itself or one of its commands).
int UsageError(const CLI::App& command, const std::string& text) {
    PrintProblem({}, text);
    const std::string topic = command.get_parent() == nullptr ? "" : " " + command.get_name();
    std::fprintf(stderr, "%s\n(run 'lumivex-cli help%s' for the options)\n",
                 UsageLine(command).c_str(), topic.c_str());
    return 2;
}

void DefineProgramOptions(CLI::App& app, ProgramFlags& flags) {
    auto formatter = std::make_shared<HelpFormatter>();
    formatter->label("Positionals", "Arguments");
    app.formatter(formatter);
    app.set_help_flag("-h,--help", "show this help and exit");
    app.footer(kFooter);
    AddFlag(app, "-V,--version", flags.version, "print the version and exit");
    AddValue(app, "--threads", Globals().threads, "N",
             "threads of the enhancement engine, 1 to 1024 (default: every core)")
        ->check(WholeNumberIn(1, 1024));
    AddFlag(app, "-q,--quiet", Globals().quiet, "print no progress and no summary, only problems");
    AddValue(app, "--completion", flags.completion, "bash|zsh", "the shell completion script")
        ->group("");
}

// "help COMMAND" is read before the parser sees the line (which would take COMMAND for the
// command itself); it is declared for the command list and the completion.
void DefineHelp(CLI::App& app) {
    app.add_subcommand("help", "Shows the help of the program or of one command.")
        ->group("Commands")
        ->prefix_command();
}

int Help(const CLI::App& app, const std::vector<std::string>& topic) {
    if (topic.empty()) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    if (topic.size() > 1) {
        throw CLI::ValidationError("help explains one command at a time");
    }
    if (topic.front() == "help" || topic.front() == "-h" || topic.front() == "--help") {
        std::fputs(app.get_subcommand("help")->help().c_str(), stdout);
        return 0;
    }
    std::string commands;
    for (const Command& command : Commands()) {
        if (topic.front() == command.name) {
            std::fputs(app.get_subcommand(command.name)->help().c_str(), stdout);
            return 0;
        }
        commands += (commands.empty() ? "" : ", ") + std::string(command.name);
    }
    throw CLI::ValidationError(topic.front() + " is not a command (the commands are " + commands +
                               ")");
}

// What the program does without a command: its version, a completion script or a usage error.
int RunWithoutCommand(const CLI::App& app, const ProgramFlags& flags) {
    if (flags.version) {
        std::printf("lumivex-cli %s\n", LUMIVEX_VERSION);
        return 0;
    }
    if (!flags.completion.empty()) {
        std::fputs(CompletionScript(app, flags.completion).c_str(), stdout);
        return 0;
    }
    std::fputs(app.help().c_str(), stderr);
    return 2;
}

// The command line, parsed and run; the exit status.
int Dispatch(int argc, char** argv) {
    CLI::App app(kDescription, "lumivex-cli");
    ProgramFlags flags;
    DefineProgramOptions(app, flags);
    std::map<const CLI::App*, CommandRunner> runners;
    for (const Command& command : Commands()) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        sub->fallthrough()->group("Commands")->footer(std::string());
        runners[sub] = command.define(*sub);
    }
    DefineHelp(app);
    if (argc >= 2 && std::string(argv[1]) == "help") {
        try {
            return Help(app, std::vector<std::string>(argv + 2, argv + argc));
        } catch (const CLI::ParseError& error) {
            return UsageError(*app.get_subcommand("help"), UsageText(error));
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        return UsageError(CommandOf(app), UsageText(error));
    }
    if (Globals().threads > 0) {
        SetEngineThreadCount(Globals().threads);
    }
    const auto named = app.get_subcommands();
    if (named.empty()) {
        return RunWithoutCommand(app, flags);
    }
    try {
        return runners.at(named.front())();
    } catch (const CLI::ParseError& error) {
        return UsageError(CommandOf(app), UsageText(error));
    }
}

// Output that never reached standard output (a full disk, say) fails the command.
int WithOutputWritten(int status) {
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
        return status;
    }
    // The failed write may have been an earlier one, whose reason is gone.
    PrintProblem({}, "standard output: cannot be written" +
                         (errno != 0 ? " (" + ReasonText(errno) + ")" : std::string()));
    return status == 0 ? 1 : status;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
    return WithOutputWritten(Dispatch(argc, argv));
}

}  // namespace lumivex::cli
