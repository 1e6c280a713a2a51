// Video helpers shared by the command-line commands: what info prints about a video, and how a
// position given on the command line is read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumivex::cli {

// Prints the video's line of "info" (JSON or text); false when it could not be loaded.
bool ReportVideo(const std::string& path, bool json);

// A position in the video's time format: a whole number from 0.
std::optional<int64_t> ParsePosition(const std::string& text);

}  // namespace lumivex::cli
