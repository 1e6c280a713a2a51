#include "metadata/save_with_metadata.h"

#include <cstring>
#include <memory>

#include "image/image_codec.h"
#include "image/save_image.h"

namespace lumivex {

bool FormatCarriesMetadata(const std::string& path) {
    const std::unique_ptr<ImageCodec> codec = CodecForWriting(path);
    if (!codec) {
        return false;
    }
    const char* format = codec->FormatName();
    return std::strcmp(format, "jpeg") == 0 || std::strcmp(format, "png") == 0 ||
           std::strcmp(format, "tiff") == 0;
}

PictureMetadata MetadataToCarry(const std::string& source, const std::string& output,
                                std::vector<std::string>* warnings) {
    if (source.empty() || !FormatCarriesMetadata(output)) {
        return {};
    }
    return ReadPictureMetadata(source, warnings);
}

bool SaveImageWithMetadata(const RgbImage& image, const std::string& path,
                           const PictureMetadata& metadata, std::vector<std::string>* warnings,
                           std::string* error) {
    if (metadata.IsEmpty() || !FormatCarriesMetadata(path)) {
        return SaveImageToPath(image, path, error);
    }
    const PictureGeometry geometry{image.Width(), image.Height(), image.HorizontalDpi(),
                                   image.VerticalDpi()};
    return SaveRewrittenImageToPath(
        image, path,
        [&](std::vector<uint8_t>& encoded) {
            EmbedPictureMetadata(encoded, metadata, geometry, warnings);
        },
        error);
}

}  // namespace lumivex
