#include "image/image_codec.h"

#include <cctype>

#include "image/bmp_codec.h"
#include "image/jpeg_codec.h"

namespace lumivex {

namespace {

bool IsJpegExtension(const std::string& extension) {
    return extension == ".jpg" || extension == ".jpeg";
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

std::unique_ptr<ImageCodec> CodecForReading(const std::string& path) {
    const std::string extension = LowerCaseExtension(path);
    if (extension == ".bmp")
        return std::make_unique<BmpCodec>();
    if (IsJpegExtension(extension))
        return std::make_unique<JpegCodec>();
    return nullptr;
}

std::unique_ptr<ImageCodec> CodecForWriting(const std::string& path) {
    if (IsJpegExtension(LowerCaseExtension(path)))
        return std::make_unique<JpegCodec>();
    return std::make_unique<BmpCodec>();
}

std::string WritableFormatsText() {
    return "BMP (.bmp), JPEG (.jpg, .jpeg)";
}

}  // namespace lumivex
