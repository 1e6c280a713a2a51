#include "cli/cli_messages.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/cli_paths.h"

namespace lumivex::cli {

namespace {

constexpr char kErrorPrefix[] = "ERROR:";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \n") - first + 1);
}

// A problem stays one line, and a file name cannot send the terminal control sequences: control
// characters are written as escapes (\n, \t, \x1b).
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            line += "\\n";
        } else if (c == '\t') {
            line += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
    return line;
}

}  // namespace

void PrintProblem(const std::string& subject, const std::string& text) {
    if (subject.empty()) {
        std::fprintf(stderr, "lumivex-cli: %s\n", OneLine(text).c_str());
    } else {
        std::fprintf(stderr, "lumivex-cli: %s: %s\n", OneLine(subject).c_str(),
                     OneLine(text).c_str());
    }
}

std::string CommandLineText(std::string text) {
    text = Trimmed(text);
    if (text.rfind(kErrorPrefix, 0) == 0) {
        text = Trimmed(text.substr(sizeof kErrorPrefix - 1));
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return LowerFirst(text);
}

void FileMessageSink::ShowMessage(const std::string& text, const std::string& /*caption*/,
                                  MessageIcon /*icon*/) {
    shown_ = true;
    PrintProblem(subject_, CommandLineText(text));
}

int Report(const Failure& failure) {
    if (failure.status == 2) {
        throw CLI::ValidationError(failure.message);
    }
    PrintProblem({}, failure.message);
    return failure.status;
}

}  // namespace lumivex::cli
