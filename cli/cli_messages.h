// lumivex-cli's messages, one style for all: "lumivex-cli: FILE: what is wrong (detail)" on
// stderr. The libraries' texts are written for the desktop application's message boxes; they
// pass through CommandLineText before they reach the shell.
#pragma once

#include <string>

#include "image/message_sink.h"

namespace lumivex::cli {

// "lumivex-cli: subject: text" on stderr ("lumivex-cli: text" without a subject).
void PrintProblem(const std::string& subject, const std::string& text);

// A library's message in the command line's style: without the desktop's "ERROR:" prefix and
// final full stop, starting in lower case, spaces trimmed.
std::string CommandLineText(std::string text);

// Prints every message about one file (or, with no file, about the command) as PrintProblem
// does; the captions belong to message boxes and are left out.
class FileMessageSink : public MessageSink {
public:
    explicit FileMessageSink(std::string subject = {}) : subject_(std::move(subject)) {}
    void ShowMessage(const std::string& text, const std::string& caption = {},
                     MessageIcon icon = MessageIcon::kInformation) override;
    bool Shown() const { return shown_; }

private:
    std::string subject_;
    bool shown_ = false;
};

// A problem that ends a command: its exit status (1: the work failed, 2: a usage error) and the
// message, already in the command line's style ("FILE: what is wrong (detail)").
struct Failure {
    int status;
    std::string message;
};

// Reports failure and returns its status. A usage error (status 2) is raised as a parse error,
// so that it is told with the command's usage line like every other usage error.
int Report(const Failure& failure);

}  // namespace lumivex::cli
