// The marker scan that finds a JPEG file's EXIF block before the picture is decoded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/exif.h"
#include "image/image_stream.h"

namespace lumivex {

struct JpegSection {
    std::vector<uint8_t> data;  // the section including its two length bytes
    uint8_t marker = 0;
    int32_t length = 0;  // the length field (counts the two length bytes)
};

struct JpegSectionScan {
    static constexpr int kMaxSections = 20;

    std::vector<JpegSection> sections;  // kept sections, at most kMaxSections
    bool commentSeen = false;
    ExifInfo info;
    std::string message;  // why the scan failed; never shown to the user
};

// Walks the marker sections from the stream's position (which must hold the start-of-image
// marker) up to the start of scan, keeping at most 20 sections. JFIF and non-EXIF APP1 sections
// are dropped, a second comment is dropped, and every EXIF APP1 block goes through ParseExif
// (info.hasExif = its result). False when the stream is not a JPEG or the scan gave up; the
// caller then takes the resolution from the JFIF header.
bool ScanJpegSections(ImageStream& stream, JpegSectionScan& scan);

}  // namespace lumivex
