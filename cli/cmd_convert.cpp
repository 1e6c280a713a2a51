// lumivex-cli convert IN OUT: reads a picture with the program's own codecs and writes it as a
// 24-bit BMP, JPEG, PNG or TIFF (chosen by OUT's extension).
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_metadata.h"
#include "cli/cli_paths.h"
#include "cli/command.h"
#include "image/image_codec.h"
#include "image/read_image.h"
#include "image/rgb_image.h"

namespace lumivex::cli {
namespace {

constexpr const char* kUsage = "convert [--strip-metadata] IN OUT";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: lumivex-cli %s\n\n"
                 "Reads IN (BMP, JPEG, PNG or TIFF, chosen by its extension), makes it a 24-bit\n"
                 "picture and writes OUT in the format its extension names: .bmp, .jpg/.jpeg\n"
                 "(JPEG quality 75), .png or .tif/.tiff (deflate); any other OUT is refused.\n"
                 "An existing OUT is replaced only after the new file is completely written.\n"
                 "IN's metadata (EXIF, XMP, IPTC, ICC profile) goes into a JPEG, PNG or TIFF\n"
                 "OUT unless --strip-metadata is given.\n",
                 kUsage);
}

int RunConvert(const std::vector<std::string>& args) {
    std::vector<std::string> paths;
    bool optionsEnded = false;
    bool stripMetadata = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            PrintUsage(stdout);
            return 0;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--strip-metadata") {
            stripMetadata = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "lumivex-cli convert: unknown option '%s'\n", arg.c_str());
            PrintUsage(stderr);
            return 2;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        PrintUsage(stderr);
        return 2;
    }

    if (!CodecForWriting(paths[1])) {
        std::fprintf(stderr, "lumivex-cli convert: %s\n", UnwritableNameText(paths[1]).c_str());
        return 2;
    }
    if (std::optional<std::string> problem = OverlapProblem({paths[0]}, {{"OUT", paths[1]}})) {
        std::fprintf(stderr, "lumivex-cli convert: %s\n", problem->c_str());
        return 2;
    }
    RgbImage image;
    std::string error;
    if (!ReadImageFile(paths[0], image, &error)) {
        std::fprintf(stderr, "lumivex-cli convert: cannot read %s: %s\n", paths[0].c_str(),
                     error.c_str());
        return 1;
    }
    // A promoted picture is a new one at the default resolution; the file's dpi carries over.
    const int32_t dpiX = image.HorizontalDpi();
    const int32_t dpiY = image.VerticalDpi();
    if (!image.PromoteDepth(24)) {
        std::fprintf(stderr, "lumivex-cli convert: cannot convert %s to 24 bits: out of memory\n",
                     paths[0].c_str());
        return 1;
    }
    image.SetHorizontalDpi(dpiX);
    image.SetVerticalDpi(dpiY);
    if (!SaveCarryingMetadata(image, paths[1], CarriedMetadata(paths[0], paths[1], stripMetadata),
                              &error)) {
        std::fprintf(stderr, "lumivex-cli convert: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

LUMIVEX_CLI_COMMAND("convert", kUsage,
                    "Convert a BMP, JPEG, PNG or TIFF picture to a 24-bit BMP, JPEG, PNG or TIFF.",
                    &RunConvert);

}  // namespace lumivex::cli
