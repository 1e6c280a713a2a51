// Where the help page that ships with the program lives.
#pragma once

#include <string>

namespace lumivex {

// The help page for a program in programFolder: "help/index.html" beside the program (build
// tree and installs that keep everything in one folder), else "../share/lumivex/help/index.html"
// (an install into a prefix). Empty when neither exists.
std::string FindHelpPage(const std::string& programFolder);

// What the user is told when no browser could open target (the help page or the web site): that
// it could not be opened, and where the help page lies so that it can be opened by hand.
std::string BrowserFailureMessage(const std::string& target, const std::string& helpPage);

}  // namespace lumivex
