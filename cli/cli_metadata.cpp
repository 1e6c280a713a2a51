#include "cli/cli_metadata.h"

#include <cstdio>
#include <vector>

#include "metadata/save_with_metadata.h"

namespace lumivex::cli {

namespace {

void PrintWarnings(const std::string& path, const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) {
        std::fprintf(stderr, "lumivex-cli: %s: %s\n", path.c_str(), warning.c_str());
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
                          const PictureMetadata& metadata, std::string* error) {
    std::vector<std::string> warnings;
    const bool saved = SaveImageWithMetadata(image, path, metadata, &warnings, error);
    PrintWarnings(path, warnings);
    return saved;
}

}  // namespace lumivex::cli
