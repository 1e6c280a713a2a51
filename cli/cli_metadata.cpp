#include "cli/cli_metadata.h"

#include <cstdio>
#include <vector>

#include "cli/cli_messages.h"
#include "metadata/save_with_metadata.h"

namespace lumivex::cli {

namespace {

void PrintWarnings(const std::string& path, const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) {
        PrintProblem(path, CommandLineText(warning));
    }
}

}  // namespace

PictureMetadata CarriedMetadata(const std::string& path, const std::string& output, bool strip) {
    if (strip) {
        return {};
    }
    std::vector<std::string> warnings;
    PictureMetadata metadata = MetadataToCarry(path, output, &warnings);
    PrintWarnings(path, warnings);
    return metadata;
}

bool SaveCarryingMetadata(const RgbImage& image, const std::string& path,
                          const PictureMetadata& metadata, std::string* reason) {
    std::vector<std::string> warnings;
    std::string error;
    const bool saved = SaveImageWithMetadata(image, path, metadata, &warnings, &error);
    PrintWarnings(path, warnings);
    // The error names the file ("Cannot write PATH: Permission denied"); the reason is its end.
    const std::size_t named = error.find(path + ": ");
    *reason =
        CommandLineText(named == std::string::npos ? error : error.substr(named + path.size() + 2));
    return saved;
}

}  // namespace lumivex::cli
