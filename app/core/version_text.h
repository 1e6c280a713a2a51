// Version texts of the welcome page footer and the about box.
#pragma once

#include <string>

namespace lumivex {

// "Version 0.1 Build 550".
std::string VersionBuildText();
// "version 0.1.0.550".
std::string AboutVersionText();

}  // namespace lumivex
