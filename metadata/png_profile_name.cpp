#include "metadata/png_profile_name.h"

#include <zlib.h>

#include <cstring>
#include <string_view>

namespace lumivex {

namespace {

constexpr size_t kSignatureBytes = 8;
constexpr std::string_view kProfileName = "ICC profile";

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

void PutBigEndian32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

}  // namespace

void NameUnnamedPngProfile(std::vector<uint8_t>& png) {
    size_t at = kSignatureBytes;
    // Each chunk: length, type, data, CRC over type and data.
    while (at + 12 <= png.size()) {
        const uint32_t length = BigEndian32(&png[at]);
        if (length > png.size() - at - 12)
            return;
        const uint8_t* type = &png[at + 4];
        if (std::memcmp(type, "IDAT", 4) == 0)
            return;
        if (std::memcmp(type, "iCCP", 4) == 0) {
            if (length == 0 || png[at + 8] != 0)
                return;
            png.insert(png.begin() + static_cast<std::ptrdiff_t>(at + 8), kProfileName.begin(),
                       kProfileName.end());
            const uint32_t named = length + static_cast<uint32_t>(kProfileName.size());
            PutBigEndian32(&png[at], named);
            const uLong crc = crc32(0, &png[at + 4], named + 4);
            PutBigEndian32(&png[at + 8 + named], static_cast<uint32_t>(crc));
            return;
        }
        at += 12 + length;
    }
}

}  // namespace lumivex
