#include "cli/cli_help_format.h"

#include "cli/command.h"

namespace lumivex::cli {

namespace {

constexpr char kProgramUsage[] = "[--threads N] [--quiet] COMMAND [OPTIONS] [ARGS...]";

const Command* CommandOf(const CLI::App* app) {
    if (app->get_parent() == nullptr) {
        return nullptr;
    }
    for (const Command& command : Commands()) {
        if (app->get_name() == command.name) {
            return &command;
        }
    }
    return nullptr;
}

std::string Arguments(const CLI::App& app) {
    if (app.get_parent() == nullptr) {
        return kProgramUsage;
    }
    const Command* command = CommandOf(&app);
    return app.get_name() + " " + (command != nullptr ? command->usage : "[COMMAND]");
}

std::string Indented(const std::string& lines) {
    std::string text = "  ";
    for (const char c : lines) {
        text += c;
        if (c == '\n') {
            text += "  ";
        }
    }
    return text;
}

}  // namespace

std::string UsageLine(const CLI::App& app) {
    return "usage: lumivex-cli " + Arguments(app);
}

std::string HelpFormatter::make_usage(const CLI::App* app, std::string /*name*/) const {
    return "Usage: lumivex-cli " + Arguments(*app) + "\n";
}

std::string HelpFormatter::make_footer(const CLI::App* app) const {
    const CLI::App* program = app->get_parent();
    if (program == nullptr) {
        return CLI::Formatter::make_footer(app);
    }
    const std::string own = app->get_footer();
    std::string text = (own.empty() ? "" : own + "\n") +
                       make_group("Program options (before or after the command)", false,
                                  program->get_options([](const CLI::Option* option) {
                                      return !option->get_group().empty() &&
                                             option->get_name() != "--help" &&
                                             option->get_name() != "--version";
                                  }));
    if (const Command* command = CommandOf(app)) {
        text += "\nExample:\n" + Indented(command->example) + "\n";
    }
    return text;
}

std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
    const std::string& value = option->get_option_text();
    return value.empty() ? std::string() : " " + value;
}

}  // namespace lumivex::cli
