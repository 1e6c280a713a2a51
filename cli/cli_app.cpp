#include "cli/cli_app.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "cli/cli_completion.h"
#include "cli/cli_help_format.h"
#include "cli/cli_messages.h"
#include "cli/cli_options.h"
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
    std::string topic;       // the command "help" is asked about
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

int UsageError(const CLI::App& app, const std::string& text) {
    const CLI::App& command = CommandOf(app);
    PrintProblem({}, text);
    std::fprintf(stderr, "%s\n(run 'lumivex-cli help%s' for the options)\n",
                 UsageLine(command).c_str(),
                 &command == &app ? "" : (" " + command.get_name()).c_str());
    return 2;
}

void DefineProgramOptions(CLI::App& app, ProgramFlags& flags) {
    app.formatter(std::make_shared<HelpFormatter>());
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

CLI::App* DefineHelp(CLI::App& app, ProgramFlags& flags) {
    CLI::App* help = app.add_subcommand("help", "Shows the help of the program or of one command.");
    help->group("Commands");
    std::string commands;
    for (const Command& command : Commands()) {
        commands += (commands.empty() ? "" : "|") + std::string(command.name);
    }
    AddValue(*help, "COMMAND", flags.topic, commands, "the command to explain");
    return help;
}

int Help(const CLI::App& app, const std::string& topic) {
    const CLI::App* about = topic.empty() ? &app : app.get_subcommand(topic);
    std::fputs(about->help().c_str(), stdout);
    return 0;
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

}  // namespace

int RunCommandLine(int argc, char** argv) {
    CLI::App app(kDescription, "lumivex-cli");
    ProgramFlags flags;
    DefineProgramOptions(app, flags);
    std::map<const CLI::App*, CommandRunner> runners;
    for (const Command& command : Commands()) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        sub->fallthrough()->group("Commands");
        runners[sub] = command.define(*sub);
    }
    const CLI::App* help = DefineHelp(app, flags);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        return UsageError(app, UsageText(error));
    }
    if (Globals().threads > 0) {
        SetEngineThreadCount(Globals().threads);
    }
    const auto named = app.get_subcommands();
    if (named.empty()) {
        return RunWithoutCommand(app, flags);
    }
    if (named.front() == help) {
        return Help(app, flags.topic);
    }
    try {
        return runners.at(named.front())();
    } catch (const CLI::ParseError& error) {
        return UsageError(app, UsageText(error));
    }
}

}  // namespace lumivex::cli
