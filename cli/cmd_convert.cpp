// lumivex-cli convert IN OUT: reads a picture with the program's own codecs and writes it as a
// 24-bit BMP, JPEG, PNG or TIFF (chosen by OUT's extension).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_interrupt.h"
#include "cli/cli_messages.h"
#include "cli/cli_metadata.h"
#include "cli/cli_options.h"
#include "cli/cli_paths.h"
#include "cli/command.h"
#include "image/jpeg_codec.h"
#include "image/read_image.h"
#include "image/rgb_image.h"

namespace lumivex::cli {
namespace {

constexpr char kUsage[] = "[OPTIONS] IN OUT";
constexpr char kExample[] = "lumivex-cli convert scan.tif scan.jpg --quality 90";
constexpr char kFooter[] =
    "Reads IN (BMP, JPEG, PNG or TIFF, chosen by its extension), makes it a 24-bit picture\n"
    "and writes OUT in the format its extension names: .bmp, .jpg/.jpeg, .png or .tif/.tiff\n"
    "(deflate); any other OUT is refused. An existing OUT is replaced only after the new file\n"
    "is completely written. IN's metadata (EXIF, XMP, IPTC, ICC profile) goes into a JPEG,\n"
    "PNG or TIFF OUT unless --strip-metadata is given.";

struct ConvertOptions {
    std::string in;
    std::string out;
    bool stripMetadata = false;
    std::optional<int> quality;  // JPEG outputs only
};

std::optional<Failure> CheckNames(const ConvertOptions& options) {
    if (std::optional<std::string> problem = PictureFormatProblem(options.out)) {
        return Failure{2, *problem};
    }
    if (std::optional<std::string> problem = OverlapProblem({options.in}, {{"OUT", options.out}})) {
        return Failure{2, *problem};
    }
    if (std::optional<std::string> problem = WritableProblem(options.out)) {
        return Failure{1, *problem};
    }
    return std::nullopt;
}

std::optional<Failure> Convert(const ConvertOptions& options, const InterruptWatch& watch) {
    if (std::optional<Failure> failure = CheckNames(options)) {
        return failure;
    }
    if (std::optional<std::string> warning = UnusedQualityWarning(options.quality, options.out)) {
        PrintProblem({}, *warning);
    }
    RgbImage image;
    std::string error;
    ImageFileFacts facts;
    const bool read = ReadImageFile(options.in, image, &error, &facts);
    if (watch.Interrupted()) {
        return watch.Cancellation();
    }
    if (!read) {
        return Failure{1, options.in + ": cannot be read (" + CommandLineText(error) + ")"};
    }
    if (!facts.warning.empty()) {
        PrintProblem(options.in, facts.warning);
    }
    // A promoted picture is a new one at the default resolution; the file's dpi carries over.
    const int32_t dpiX = image.HorizontalDpi();
    const int32_t dpiY = image.VerticalDpi();
    if (!image.PromoteDepth(24)) {
        return Failure{1, options.in + ": cannot be converted to 24 bits (not enough memory)"};
    }
    image.SetHorizontalDpi(dpiX);
    image.SetVerticalDpi(dpiY);
    SetJpegQuality(options.quality.value_or(kDefaultJpegQuality));
    const PictureMetadata metadata =
        CarriedMetadata(options.in, options.out, options.stripMetadata);
    if (!SaveCarryingMetadata(image, options.out, metadata, &error)) {
        if (watch.Interrupted()) {
            return watch.Cancellation();
        }
        return Failure{1, options.out + ": cannot be written (" + error + ")"};
    }
    return std::nullopt;
}

CommandRunner DefineConvert(CLI::App& app) {
    auto options = std::make_shared<ConvertOptions>();
    ConvertOptions& o = *options;
    app.add_option("IN", o.in, "the picture to read")->required();
    app.add_option("OUT", o.out, "the picture to write; its extension chooses the format")
        ->required();
    AddFlag(app, "--strip-metadata", o.stripMetadata, "OUT carries none of IN's metadata");
    AddValue(app, "--quality", o.quality, "1..100", "JPEG output quality (default 75)")
        ->check(WholeNumberIn(1, 100));
    app.footer(kFooter);
    return [options]() {
        const InterruptWatch watch;  // from here on, a signal stops the work before OUT changes
        const std::optional<Failure> failure = Convert(*options, watch);
        return failure ? Report(*failure) : 0;
    };
}

}  // namespace

LUMIVEX_CLI_COMMAND("convert", kUsage,
                    "Converts a BMP, JPEG, PNG or TIFF picture to a 24-bit BMP, JPEG, PNG or TIFF.",
                    kExample, &DefineConvert);

}  // namespace lumivex::cli
