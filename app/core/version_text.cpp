#include "app/core/version_text.h"

#include <cstdio>

#include "app/core/app_strings.h"

namespace lumivex {

std::string VersionBuildText() {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, text::kVersionBuildFormat, text::kShortVersion,
                  text::kBuildNumber);
    return buffer;
}

std::string AboutVersionText() {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, text::kAboutVersionFormat, text::kFullVersion);
    return buffer;
}

std::string AboutQtText(const std::string& qtVersion) {
    return text::kAboutQtPrefix + qtVersion + text::kAboutQtLicence;
}

}  // namespace lumivex
