// lumivex-cli info [--json] FILE...: what the picture codecs make of each file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_json.h"
#include "cli/cli_video.h"
#include "cli/command.h"
#include "image/read_image.h"
#include "image/rgb_image.h"
#include "video/video_info.h"

namespace lumivex::cli {
namespace {

constexpr const char* kUsage = "info [--json] FILE...";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: lumivex-cli %s\n\n"
                 "Reads each picture (BMP, JPEG, PNG or TIFF, chosen by the extension) and prints\n"
                 "its format, width, height, bits per pixel and horizontal and\n"
                 "vertical resolution in dpi.\n\n"
                 "  --json   one JSON object per line instead of text\n\n"
                 "Exit status 1 when any file could not be read.\n",
                 kUsage);
}

// Prints one file's line; false when it could not be read.
bool ReportFile(const std::string& path, bool json) {
    if (video::IsVideoFileName(path)) {
        return ReportVideo(path, json);
    }
    RgbImage image;
    std::string error, format;
    const bool ok = ReadImageFile(path, image, &error, &format);
    if (json) {
        JsonLine line;
        line.Add("path", path);
        if (ok) {
            line.Add("type", "image").Add("format", format).Add("width", image.Width());
            line.Add("height", image.Height()).Add("bits", image.BitsPerPixel());
            line.Add("dpi_x", image.HorizontalDpi()).Add("dpi_y", image.VerticalDpi());
        } else {
            line.Add("error", error);
        }
        std::printf("%s\n", line.Text().c_str());
    } else if (ok) {
        std::printf("%s: %s, %d x %d, %d bits, %d x %d dpi\n", path.c_str(), format.c_str(),
                    image.Width(), image.Height(), image.BitsPerPixel(), image.HorizontalDpi(),
                    image.VerticalDpi());
    } else {
        std::fprintf(stderr, "lumivex-cli: %s: %s\n", path.c_str(), error.c_str());
    }
    return ok;
}

int RunInfo(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "lumivex-cli info: unknown option '%s'\n", arg.c_str());
            PrintUsage(stderr);
            return 2;
        }
    }
    if (files.empty()) {
        PrintUsage(stderr);
        return 2;
    }
    bool allRead = true;
    for (const std::string& file : files)
        allRead = ReportFile(file, json) && allRead;
    std::fflush(stdout);
    return allRead ? 0 : 1;
}

}  // namespace

LUMIVEX_CLI_COMMAND("info", kUsage, "Show format, size, depth and resolution of pictures.",
                    &RunInfo);

}  // namespace lumivex::cli
