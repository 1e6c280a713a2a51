// Feeds arbitrary bytes to the JPEG reader: the marker scan, the full decoder and, treating the
// input as one APP1 section body, the EXIF parser on its own.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "image/exif.h"
#include "image/image_stream.h"
#include "image/jpeg_codec.h"
#include "image/jpeg_sections.h"
#include "image/rgb_image.h"

namespace {

void ScanSections(const uint8_t* data, size_t size) {
    lumivex::MemoryImageStream stream(data, size);
    lumivex::JpegSectionScan scan;
    lumivex::ScanJpegSections(stream, scan);
    for (const lumivex::JpegSection& section : scan.sections)
        lumivex::fuzz::TouchBytes(section.data.data(), section.data.size());
}

void ParseAsExifBody(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(std::numeric_limits<uint16_t>::max()) - 2)
        return;  // an APP1 section never holds more
    lumivex::ExifInfo info;
    std::string message;
    lumivex::ParseExif(data, static_cast<int32_t>(size) + 2, info, &message);
    lumivex::ExifDpi(info.xResolution, info.unitFactor);
    lumivex::ExifDpi(info.yResolution, info.unitFactor);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScanSections(data, size);
    ParseAsExifBody(data, size);
    lumivex::MemoryImageStream stream(data, size);
    lumivex::RgbImage image;
    lumivex::JpegCodec codec;
    if (codec.Decode(stream, image))
        lumivex::fuzz::TouchPicture(image);
    return 0;
}
