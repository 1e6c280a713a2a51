#include "metadata/png_profile_name.h"

#include <zlib.h>

#include <cstring>
#include <string_view>

#include "image/byte_order.h"

namespace lumivex {

namespace {

constexpr size_t kSignatureBytes = 8;
constexpr std::string_view kProfileName = "ICC profile";

}  // namespace

void NameUnnamedPngProfile(std::vector<uint8_t>& png) {
    size_t at = kSignatureBytes;
    // Each chunk: length, type, data, CRC over type and data.
    while (at + 12 <= png.size()) {
        const uint32_t length = LoadBe32(&png[at]);
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
            StoreBe32(&png[at], named);
            const uLong crc = crc32(0, &png[at + 4], named + 4);
            StoreBe32(&png[at + 8 + named], static_cast<uint32_t>(crc));
            return;
        }
        at += 12 + length;
    }
}

}  // namespace lumivex
