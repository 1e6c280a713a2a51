// The part of an EXIF block Lumivex uses: the picture's resolution.
#pragma once

#include <cstdint>
#include <string>

namespace lumivex {

struct ExifInfo {
    bool hasExif = false;   // ParseExif succeeded on the last EXIF block of the file
    float xResolution = 0;  // tag 0x011A, 0 when absent
    float yResolution = 0;  // tag 0x011B, 0 when absent
    float unitFactor = 0;   // inches per unit of tag 0x0128; 0 when absent or unknown
};

// Parses one EXIF block. data points just after the section's two length bytes and
// sectionLength is the section's length field (which counts those two bytes), so data holds
// sectionLength - 2 bytes: "Exif\0\0" and then the TIFF data. Reads IFD0 and the linked EXIF and
// interoperability directories, updating info's resolution fields. On failure returns false and
// sets message (when given) to the reason. Never reads outside the section.
bool ParseExif(const uint8_t* data, int32_t sectionLength, ExifInfo& info,
               std::string* message = nullptr);

// Dots per inch for one axis from EXIF values: trunc(resolution / unitFactor) when both are
// non-zero, 96 otherwise (also when the quotient is not a finite 32-bit value).
int32_t ExifDpi(float resolution, float unitFactor);

}  // namespace lumivex
