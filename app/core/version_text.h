// Version texts of the welcome page footer and the about box.
#pragma once

#include <string>

namespace lumivex {

// "Version 0.1 Build 550".
std::string VersionBuildText();
// "version 0.1.0.550".
std::string AboutVersionText();
// "Uses Qt 6.4.2 under the GNU Lesser General Public License version 3." for qtVersion.
std::string AboutQtText(const std::string& qtVersion);

}  // namespace lumivex
