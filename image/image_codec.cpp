#include "image/image_codec.h"

#include <cctype>

#include "image/bmp_codec.h"
#include "image/jpeg_codec.h"
#include "image/png_codec.h"
#include "image/tiff_codec.h"

namespace lumivex {

namespace {

enum class Format { kNone, kBmp, kJpeg, kPng, kTiff };

// Every picture format is read and written; the list decides both directions.
Format FormatOfExtension(const std::string& extension) {
    if (extension == ".bmp")
        return Format::kBmp;
    if (extension == ".jpg" || extension == ".jpeg")
        return Format::kJpeg;
    if (extension == ".png")
        return Format::kPng;
    if (extension == ".tif" || extension == ".tiff")
        return Format::kTiff;
    return Format::kNone;
}

std::unique_ptr<ImageCodec> MakeCodec(Format format) {
    switch (format) {
        case Format::kBmp:
            return std::make_unique<BmpCodec>();
        case Format::kJpeg:
            return std::make_unique<JpegCodec>();
        case Format::kPng:
            return std::make_unique<PngCodec>();
        case Format::kTiff:
            return std::make_unique<TiffCodec>();
        case Format::kNone:
            break;
    }
    return nullptr;
}

}  // namespace

std::string LowerCaseExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool IsPictureExtension(const std::string& extension) {
    return FormatOfExtension(extension) != Format::kNone;
}

bool IsJpegExtension(const std::string& extension) {
    return FormatOfExtension(extension) == Format::kJpeg;
}

std::unique_ptr<ImageCodec> CodecForReading(const std::string& path) {
    return MakeCodec(FormatOfExtension(LowerCaseExtension(path)));
}

std::unique_ptr<ImageCodec> CodecForWriting(const std::string& path) {
    return MakeCodec(FormatOfExtension(LowerCaseExtension(path)));
}

const char* WritableFormatsText() {
    return "BMP (.bmp), JPEG (.jpg, .jpeg), PNG (.png), TIFF (.tif, .tiff)";
}

std::string UnwritableNameText(const std::string& path) {
    return "Cannot write " + path + ": its extension names no format Lumivex writes; use " +
           WritableFormatsText();
}

}  // namespace lumivex
