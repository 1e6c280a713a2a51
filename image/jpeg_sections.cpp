#include "image/jpeg_sections.h"

#include <cstring>

namespace lumivex {

namespace {

constexpr int kMarkerSos = 0xDA;
constexpr int kMarkerEoi = 0xD9;
constexpr int kMarkerApp0 = 0xE0;
constexpr int kMarkerApp1 = 0xE1;
constexpr int kMarkerComment = 0xFE;

// Padding 0xFF bytes allowed before a marker: six; the seventh fails.
constexpr int kMaxPadding = 6;

bool Fail(JpegSectionScan& scan, const char* text) {
    scan.message = text;
    return false;
}

// Reads the marker byte after its 0xFF prefix into marker; false on failure (message set).
bool ReadMarker(ImageStream& stream, JpegSectionScan& scan, int& marker) {
    for (int padding = 0;; ++padding) {
        marker = stream.ReadByte();
        if (marker < 0)
            return Fail(scan, "Premature end of file?");
        if (marker != 0xFF)
            return true;
        if (padding == kMaxPadding)
            return Fail(scan, "too many padding bytes\n");
    }
}

// Reads the section after its marker: length field and body.
bool ReadSection(ImageStream& stream, JpegSection& section, JpegSectionScan& scan) {
    const int high = stream.ReadByte();
    const int low = stream.ReadByte();
    if (high < 0 || low < 0)
        return Fail(scan, "Premature end of file?");
    section.length = (high << 8) | low;
    if (section.length < 2)
        return Fail(scan, "invalid marker");
    section.data.resize(static_cast<size_t>(section.length));
    section.data[0] = static_cast<uint8_t>(high);
    section.data[1] = static_cast<uint8_t>(low);
    const int32_t body = section.length - 2;
    if (body > 0 && stream.Read(section.data.data() + 2, body) != body) {
        return Fail(scan, "Premature end of file?");
    }
    return true;
}

bool IsExifBlock(const JpegSection& section) {
    return section.length >= 6 && std::memcmp(section.data.data() + 2, "Exif", 4) == 0;
}

}  // namespace

bool ScanJpegSections(ImageStream& stream, JpegSectionScan& scan) {
    if (stream.ReadByte() != 0xFF || stream.ReadByte() != 0xD8)
        return Fail(scan, "Not a JPEG");
    while (static_cast<int>(scan.sections.size()) < JpegSectionScan::kMaxSections) {
        int marker;
        if (!ReadMarker(stream, scan, marker))
            return false;
        JpegSection section;
        section.marker = static_cast<uint8_t>(marker);
        if (!ReadSection(stream, section, scan))
            return false;

        if (marker == kMarkerEoi)
            return Fail(scan, "No image in jpeg!\n");
        if (marker == kMarkerApp0)
            continue;
        if (marker == kMarkerApp1) {
            if (!IsExifBlock(section))
                continue;
            scan.info.hasExif =
                ParseExif(section.data.data() + 2, section.length, scan.info, &scan.message);
        } else if (marker == kMarkerComment) {
            if (scan.commentSeen)
                continue;
            scan.commentSeen = true;
        }
        scan.sections.push_back(std::move(section));
        // Frame headers and every other marker are kept too; the scan ends at the picture data.
        if (marker == kMarkerSos)
            return true;
    }
    return Fail(scan, "Too many sections in jpg file");
}

}  // namespace lumivex
