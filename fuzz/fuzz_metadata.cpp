// Feeds arbitrary bytes to the metadata reader (exiv2 behind ReadPictureMetadata) and writes
// whatever it kept into a small JPEG, as saving a result does: the picture must survive that.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "image/image_stream.h"
#include "image/jpeg_codec.h"
#include "image/rgb_image.h"
#include "metadata/picture_metadata.h"

namespace {

constexpr int32_t kWidth = 16;
constexpr int32_t kHeight = 8;

const std::vector<uint8_t>& SmallJpeg() {
    static const std::vector<uint8_t> bytes = [] {
        lumivex::RgbImage image;
        image.Allocate(kWidth, kHeight, 24);
        lumivex::MemoryImageStream stream;
        lumivex::JpegCodec().Encode(stream, image);
        return stream.Data();
    }();
    return bytes;
}

void TouchMetadata(const lumivex::PictureMetadata& metadata) {
    lumivex::fuzz::TouchBytes(metadata.exif.data(), metadata.exif.size());
    lumivex::fuzz::TouchBytes(metadata.iptc.data(), metadata.iptc.size());
    lumivex::fuzz::TouchBytes(reinterpret_cast<const uint8_t*>(metadata.xmp.data()),
                              metadata.xmp.size());
    lumivex::fuzz::TouchBytes(metadata.icc.data(), metadata.icc.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> warnings;
    const lumivex::PictureMetadata metadata = lumivex::ReadPictureMetadata(data, size, &warnings);
    TouchMetadata(metadata);
    std::vector<uint8_t> jpeg = SmallJpeg();
    if (!lumivex::EmbedPictureMetadata(jpeg, metadata, {kWidth, kHeight, 72, 72}, &warnings))
        return 0;
    // Metadata written into a picture must leave the picture readable, at its size.
    lumivex::MemoryImageStream stream(jpeg);
    lumivex::RgbImage image;
    if (!lumivex::JpegCodec().Decode(stream, image) || image.Width() != kWidth ||
        image.Height() != kHeight)
        std::abort();
    TouchMetadata(lumivex::ReadPictureMetadata(jpeg.data(), jpeg.size(), &warnings));
    return 0;
}
