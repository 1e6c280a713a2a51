// The metadata of a picture file that a result made from it carries on: EXIF (camera, lens,
// exposure, date, orientation, GPS), IPTC, XMP and the ICC colour profile. Read from the
// reference picture with exiv2 and written into the result's encoded bytes before they reach
// the disk. Nothing here throws; a part that cannot be decoded is left out with a warning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumivex {

// Each part as exiv2 serialises it; an empty part is absent.
struct PictureMetadata {
    std::vector<uint8_t> exif;  // EXIF as a TIFF structure (byte-order mark first), no thumbnail
    std::vector<uint8_t> iptc;  // IPTC datasets
    std::string xmp;            // XMP packet
    std::vector<uint8_t> icc;   // ICC colour profile

    bool IsEmpty() const { return exif.empty() && iptc.empty() && xmp.empty() && icc.empty(); }
};

// What the written picture is: its EXIF and XMP dimensions and resolution are set to these.
struct PictureGeometry {
    int32_t width = 0;
    int32_t height = 0;
    int32_t dpiX = 0;
    int32_t dpiY = 0;
};

// Reads the metadata of a JPEG, PNG or TIFF file (recognised by its content). Any other file,
// or one without metadata, gives an empty result without a warning. Every
// other problem (a broken block, a file that cannot be read) appends one text to warnings
// (when given); what could be decoded is still returned. Thumbnails and the tags that only
// describe the source file's own encoding (strips, tiles, compression) are left out.
PictureMetadata ReadPictureMetadata(const std::string& path, std::vector<std::string>* warnings);
PictureMetadata ReadPictureMetadata(const uint8_t* data, size_t size,
                                    std::vector<std::string>* warnings);

// Rewrites encoded (a complete JPEG, PNG or TIFF file) so that it carries metadata, with the
// pixel dimensions and resolution of geometry: Exif.Photo.PixelX/YDimension always,
// ImageWidth/ImageLength where the reference had them, X/YResolution in dots per inch (the same
// values as a JPEG's JFIF density). Parts the format cannot hold are left out. Returns false,
// with encoded unchanged and one text appended to warnings, when the metadata could not be
// written; an empty metadata changes nothing and returns true.
bool EmbedPictureMetadata(std::vector<uint8_t>& encoded, const PictureMetadata& metadata,
                          const PictureGeometry& geometry, std::vector<std::string>* warnings);

}  // namespace lumivex
