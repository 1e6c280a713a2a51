#include "metadata/jpeg_part_segments.h"

#include <cstring>

namespace lumivex::metadata_internal {

namespace {

constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kApp2 = 0xE2;
constexpr uint8_t kApp13 = 0xED;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;

bool StartsWith(const uint8_t* body, size_t size, const char* signature, size_t length) {
    return size >= length && std::memcmp(body, signature, length) == 0;
}

bool HoldsPart(uint8_t marker, const uint8_t* body, size_t size, JpegPart part) {
    switch (part) {
        case JpegPart::kExif:
            return marker == kApp1 && StartsWith(body, size, "Exif\0\0", 6);
        case JpegPart::kXmp:
            return marker == kApp1 && StartsWith(body, size, "http://ns.adobe.com/xap/1.0/\0", 29);
        case JpegPart::kIptc:
            return marker == kApp13 && StartsWith(body, size, "Photoshop 3.0\0", 14);
        case JpegPart::kIcc:
            return marker == kApp2 && StartsWith(body, size, "ICC_PROFILE\0", 12);
    }
    return false;
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

std::vector<uint8_t> JpegWithOnly(const uint8_t* data, size_t size, JpegPart part) {
    if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        return {};
    }
    std::vector<uint8_t> result = {0xFF, 0xD8};
    size_t pos = 2;
    while (pos + 4 <= size && data[pos] == 0xFF) {
        const uint8_t marker = data[pos + 1];
        if (marker == 0xFF || StandsAlone(marker)) {
            pos += marker == 0xFF ? 1 : 2;  // a fill byte, or a marker without a segment
            continue;
        }
        if (marker == kStartOfScan || marker == kEndOfImage) {
            break;
        }
        const size_t length = static_cast<size_t>(data[pos + 2]) << 8 | data[pos + 3];
        if (length < 2 || length > size - pos - 2) {
            break;
        }
        if (HoldsPart(marker, data + pos + 4, length - 2, part)) {
            result.insert(result.end(), data + pos, data + pos + 2 + length);
        }
        pos += 2 + length;
    }
    if (result.size() == 2) {
        return {};
    }
    result.push_back(0xFF);
    result.push_back(kEndOfImage);
    return result;
}

}  // namespace lumivex::metadata_internal
