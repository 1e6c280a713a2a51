// lumivex-cli info [--json] FILE...: what the picture codecs and the video decoder make of each
// file.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_json.h"
#include "cli/cli_messages.h"
#include "cli/cli_options.h"
#include "cli/cli_video.h"
#include "cli/command.h"
#include "image/read_image.h"
#include "image/rgb_image.h"
#include "video/video_info.h"

namespace lumivex::cli {
namespace {

constexpr char kUsage[] = "[OPTIONS] FILE...";
constexpr char kExample[] = "lumivex-cli info --json photo.jpg clip.avi";
constexpr char kFooter[] =
    "Of each picture (BMP, JPEG, PNG or TIFF, chosen by the extension): its format, width,\n"
    "height, bits per pixel as the file stores them and resolution in dpi. Of each video: its\n"
    "size, frames, seconds, time format, duration, vertical factor, interlacing, and whether\n"
    "the desktop application opens it (it refuses videos smaller than 100 x 100). Exit status\n"
    "1 when any file could not be read.";

struct InfoOptions {
    std::vector<std::string> files;
    bool json = false;
};

// Prints one file's line; false when it could not be read.
bool ReportFile(const std::string& path, bool json) {
    if (video::IsVideoFileName(path)) {
        return ReportVideo(path, json);
    }
    RgbImage image;
    std::string error;
    ImageFileFacts facts;
    const bool ok = ReadImageFile(path, image, &error, &facts);
    if (ok && !facts.warning.empty()) {
        PrintProblem(path, facts.warning);
    }
    if (json) {
        JsonLine line;
        line.Add("path", path);
        if (ok) {
            line.Add("type", "image").Add("format", facts.format).Add("width", image.Width());
            line.Add("height", image.Height()).Add("bits", facts.fileBitsPerPixel);
            line.Add("dpi_x", image.HorizontalDpi()).Add("dpi_y", image.VerticalDpi());
            if (!facts.warning.empty())
                line.Add("warning", facts.warning);
        } else {
            line.Add("error", CommandLineText(error));
        }
        std::printf("%s\n", line.Text().c_str());
    } else if (ok) {
        std::printf("%s: %s, %d x %d, %d bits, %d x %d dpi\n", path.c_str(), facts.format.c_str(),
                    image.Width(), image.Height(), facts.fileBitsPerPixel, image.HorizontalDpi(),
                    image.VerticalDpi());
    } else {
        PrintProblem(path, "cannot be read (" + CommandLineText(error) + ")");
    }
    return ok;
}

int RunInfo(const InfoOptions& options) {
    bool allRead = true;
    for (const std::string& file : options.files) {
        allRead = ReportFile(file, options.json) && allRead;
    }
    std::fflush(stdout);
    return allRead ? 0 : 1;
}

CommandRunner DefineInfo(CLI::App& app) {
    auto options = std::make_shared<InfoOptions>();
    app.add_option("FILE", options->files, "pictures (BMP, JPEG, PNG, TIFF) or videos")
        ->required()
        ->option_text("...");
    AddFlag(app, "--json", options->json, "one JSON object per line instead of text");
    app.footer(kFooter);
    return [options] { return RunInfo(*options); };
}

}  // namespace

LUMIVEX_CLI_COMMAND("info", kUsage,
                    "Shows format, size, depth and resolution of pictures, and what a video holds.",
                    kExample, &DefineInfo);

}  // namespace lumivex::cli
