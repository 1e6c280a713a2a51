// Where the help page that ships with the program lives.
#pragma once

#include <string>

namespace lumivex {

// The help page for a program in programFolder: "help/index.html" beside the program (build
// tree and installs that keep everything in one folder), else "../share/lumivex/help/index.html"
// (an install into a prefix). Empty when neither exists.
std::string FindHelpPage(const std::string& programFolder);

}  // namespace lumivex
