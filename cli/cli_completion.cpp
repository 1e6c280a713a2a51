#include "cli/cli_completion.h"

#include <vector>

#include "cli/cli_options.h"

namespace lumivex::cli {

namespace {

// What follows an option on the command line, by the value its help names.
enum class ValueKind { kNone, kWords, kFolder, kFile, kProfile, kOther };

struct OptionEntry {
    std::vector<std::string> names;  // "-o", "--output"
    std::string value;               // "standard|quality"; empty for a flag
    std::string help;
};

struct CommandEntry {
    std::string name;
    std::string summary;
    std::vector<OptionEntry> options;
    ValueKind arguments = ValueKind::kFile;  // what its positional arguments are
};

ValueKind KindOf(const std::string& value) {
    if (value.empty()) {
        return ValueKind::kNone;
    }
    if (!ValueWords(value).empty()) {
        return ValueKind::kWords;
    }
    if (value.find("NAME") != std::string::npos) {
        return ValueKind::kProfile;
    }
    if (value.find("DIR") != std::string::npos) {
        return ValueKind::kFolder;
    }
    for (const char* file : {"FILE", "OUT", "IN", "VIDEO", "PICTURE"}) {
        if (value.find(file) != std::string::npos) {
            return ValueKind::kFile;
        }
    }
    return ValueKind::kOther;
}

std::vector<OptionEntry> OptionsOf(const CLI::App& app, bool positional) {
    std::vector<OptionEntry> entries;
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_group().empty() || option->get_positional() != positional) {
            continue;
        }
        OptionEntry entry{{}, option->get_option_text(), option->get_description()};
        for (const std::string& name : option->get_snames()) {
            entry.names.push_back("-" + name);
        }
        for (const std::string& name : option->get_lnames()) {
            entry.names.push_back("--" + name);
        }
        if (positional) {
            entry.names.push_back(option->get_name(true));
            entry.value = option->get_option_text().empty() ? option->get_name(true)
                                                            : option->get_option_text();
        }
        entries.push_back(entry);
    }
    return entries;
}

std::vector<CommandEntry> CommandsOf(const CLI::App& app) {
    std::vector<CommandEntry> commands;
    for (const CLI::App* sub : app.get_subcommands({})) {
        CommandEntry entry{sub->get_name(), sub->get_description(), OptionsOf(*sub, false)};
        const std::vector<OptionEntry> positionals = OptionsOf(*sub, true);
        entry.arguments = positionals.empty() ? ValueKind::kNone : KindOf(positionals[0].value);
        if (sub->get_prefix_command()) {
            entry.arguments = ValueKind::kWords;  // "help COMMAND"
        }
        if (entry.arguments == ValueKind::kOther) {
            entry.arguments = ValueKind::kFile;
        }
        commands.push_back(entry);
    }
    return commands;
}

std::string Joined(const std::vector<std::string>& words, const std::string& between) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : between) + word;
    }
    return text;
}

std::string Words(const std::string& value) {
    return Joined(ValueWords(value), " ");
}

// The program's options that mean something after a command's name.
std::vector<OptionEntry> AfterCommand(const std::vector<OptionEntry>& global) {
    std::vector<OptionEntry> options;
    for (const OptionEntry& option : global) {
        if (option.names.back() != "--help" && option.names.back() != "--version") {
            options.push_back(option);
        }
    }
    return options;
}

// ---- bash ----

constexpr char kBashProfileNames[] =
    "            local IFS=$'\\n' names\n"
    "            names=$(lumivex-cli profiles 2>/dev/null |\n"
    "                sed -nE 's/^ +(.*[^ ]) {2,}[0-9]+x[0-9]+ .*/\\1/p')\n"
    "            COMPREPLY=($(compgen -W \"$names\" -- \"$cur\"))\n"
    "            for i in \"${!COMPREPLY[@]}\"; do\n"
    "                COMPREPLY[i]=$(printf '%q' \"${COMPREPLY[i]}\")\n"
    "            done\n"
    "            _filedir ini\n";

std::string BashAction(ValueKind kind, const std::string& value) {
    switch (kind) {
        case ValueKind::kWords:
            return "            COMPREPLY=($(compgen -W \"" + Words(value) + "\" -- \"$cur\"))\n";
        case ValueKind::kFolder:
            return "            _filedir -d\n";
        case ValueKind::kFile:
            return "            _filedir\n";
        case ValueKind::kProfile:
            return kBashProfileNames;
        default:
            return "";
    }
}

// The case branches for the values of options; command "*" stands for any command.
std::string BashValueCases(const std::string& command, const std::vector<OptionEntry>& options) {
    std::string text;
    for (const OptionEntry& option : options) {
        if (option.value.empty()) {
            continue;
        }
        std::vector<std::string> patterns;
        for (const std::string& name : option.names) {
            patterns.push_back((command == "*" ? "*\" " : "\"" + command + " ") + name + "\"");
        }
        text += "        " + Joined(patterns, " | ") + ")\n" +
                BashAction(KindOf(option.value), option.value) + "            return ;;\n";
    }
    return text;
}

std::vector<std::string> NamesOf(const std::vector<OptionEntry>& options) {
    std::vector<std::string> names;
    for (const OptionEntry& option : options) {
        names.insert(names.end(), option.names.begin(), option.names.end());
    }
    return names;
}

std::string BashScript(const CLI::App& app) {
    const std::vector<OptionEntry> global = OptionsOf(app, false);
    const std::vector<CommandEntry> commands = CommandsOf(app);
    std::vector<std::string> commandNames, skipGlobal;
    for (const CommandEntry& command : commands) {
        commandNames.push_back(command.name);
    }
    for (const OptionEntry& option : global) {
        if (!option.value.empty()) {
            skipGlobal.insert(skipGlobal.end(), option.names.begin(), option.names.end());
        }
    }
    std::string text =
        "# bash completion for lumivex-cli, written by 'lumivex-cli --completion bash' from its\n"
        "# option tables: commands, options, the values they take, profile names and files.\n\n"
        "_lumivex_cli() {\n"
        "    local cur prev words cword\n"
        "    _init_completion || return\n\n"
        "    local command=\"\" i\n"
        "    for ((i = 1; i < cword; i++)); do\n"
        "        case ${words[i]} in\n"
        "            " +
        Joined(skipGlobal, " | ") +
        ") ((i++)) ;;\n"
        "            -*) ;;\n"
        "            *) command=${words[i]}; break ;;\n"
        "        esac\n"
        "    done\n\n"
        "    case \"$command $prev\" in\n" +
        BashValueCases("*", global);
    for (const CommandEntry& command : commands) {
        text += BashValueCases(command.name, command.options);
    }
    const std::vector<OptionEntry> afterCommand = AfterCommand(global);
    text +=
        "    esac\n\n"
        "    local options=\"" +
        Joined(NamesOf(global), " ") +
        "\" arguments=files\n"
        "    case $command in\n";
    for (const CommandEntry& command : commands) {
        text += "        " + command.name + ") options=\"" + Joined(NamesOf(command.options), " ") +
                " " + Joined(NamesOf(afterCommand), " ") + "\"" +
                (command.arguments == ValueKind::kWords ? " arguments=commands" : "") + " ;;\n";
    }
    text +=
        "    esac\n\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        "    elif [[ -z $command || $arguments == commands ]]; then\n"
        "        COMPREPLY=($(compgen -W \"" +
        Joined(commandNames, " ") +
        "\" -- \"$cur\"))\n"
        "    else\n"
        "        _filedir\n"
        "    fi\n"
        "}\n"
        "complete -F _lumivex_cli lumivex-cli\n";
    return text;
}

// ---- zsh ----

// Text inside one single-quoted _arguments entry: no quote, and special (the entry's own
// brackets or colons) escaped.
std::string ZshEscaped(const std::string& text, const std::string& special) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\'') {
            escaped += "'\\''";
        } else if (special.find(c) != std::string::npos) {
            escaped += std::string("\\") + c;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string ZshAction(ValueKind kind, const std::string& value) {
    switch (kind) {
        case ValueKind::kWords:
            return "(" + Words(value) + ")";
        case ValueKind::kFolder:
            return "_files -/";
        case ValueKind::kFile:
        case ValueKind::kProfile:
            return "_files";
        default:
            return " ";
    }
}

std::string ZshSpecs(const std::vector<OptionEntry>& options) {
    std::string text;
    for (const OptionEntry& option : options) {
        const std::string help = "[" + ZshEscaped(option.help, "[]") + "]";
        const std::string value = option.value.empty()
                                      ? ""
                                      : ":" + ZshEscaped(option.value, ":") + ":" +
                                            ZshAction(KindOf(option.value), option.value);
        const std::string exclusive =
            option.names.size() > 1 ? "(" + Joined(option.names, " ") + ")" : "";
        for (const std::string& name : option.names) {
            text += "        '" + exclusive + name + help + value + "' \\\n";
        }
    }
    return text;
}

std::string ZshScript(const CLI::App& app) {
    const std::vector<OptionEntry> global = OptionsOf(app, false);
    std::string text =
        "#compdef lumivex-cli\n"
        "# zsh completion for lumivex-cli, written by 'lumivex-cli --completion zsh' from its\n"
        "# option tables.\n\n"
        "_lumivex-cli() {\n"
        "    local curcontext=$curcontext state line\n"
        "    local -a commands\n"
        "    commands=(\n";
    for (const CommandEntry& command : CommandsOf(app)) {
        text += "        '" + command.name + ":" + ZshEscaped(command.summary, ":") + "'\n";
    }
    text +=
        "    )\n"
        "    _arguments -C \\\n" +
        ZshSpecs(global) +
        "        '1:command:->command' '*::argument:->argument'\n"
        "    case $state in\n"
        "        command) _describe command commands ;;\n"
        "        argument)\n"
        "            case $line[1] in\n";
    for (const CommandEntry& command : CommandsOf(app)) {
        const std::string arguments =
            command.arguments == ValueKind::kWords ? "_describe command commands" : "_files";
        text += "                " + command.name + ")\n                    _arguments \\\n" +
                ZshSpecs(command.options) + ZshSpecs(AfterCommand(global)) +
                "        '*:argument:" + arguments + "' ;;\n";
    }
    text +=
        "            esac ;;\n"
        "    esac\n"
        "}\n\n"
        "_lumivex-cli \"$@\"\n";
    return text;
}

}  // namespace

std::string CompletionScript(const CLI::App& app, const std::string& shell) {
    return shell == "zsh" ? ZshScript(app) : BashScript(app);
}

}  // namespace lumivex::cli
