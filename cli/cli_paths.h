// The checks lumivex-cli makes on the files a command will write, before any work: nothing the
// user gave as input is overwritten, two outputs never share a file, and an output that cannot be
// written is refused at once instead of after a long run.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lumivex::cli {

// A file a command writes, with the option that named it ("-o", "--report").
struct OutputPath {
    std::string option;
    std::string path;
};

// True when a and b name the same file: the same device and inode where both exist, otherwise
// the same absolute path once links are followed.
bool SameFile(const std::string& a, const std::string& b);

// A message (the file first) when an output is also an input or another output.
std::optional<std::string> OverlapProblem(const std::vector<std::string>& inputs,
                                          const std::vector<OutputPath>& outputs);

// A message when path cannot take a new file: it is a folder, its folder is missing, or neither
// it nor its folder may be written.
std::optional<std::string> WritableProblem(const std::string& path);

// A message when no writable picture format has the extension of path.
std::optional<std::string> PictureFormatProblem(const std::string& path);

// A warning when a JPEG quality was given for an output that is no JPEG (it then does nothing).
std::optional<std::string> UnusedQualityWarning(const std::optional<int>& quality,
                                                const std::string& output);

// The output checks of a command that writes outputs from inputs, in the order above.
std::optional<std::string> OutputsProblem(const std::vector<std::string>& inputs,
                                          const std::vector<OutputPath>& outputs);

// The system's error text, lower-cased at its start for "(permission denied)".
std::string ReasonText(int error);
std::string LowerFirst(std::string text);

}  // namespace lumivex::cli
