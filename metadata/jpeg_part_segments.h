// Cutting a JPEG's metadata apart so that each part is read on its own: a damaged EXIF block
// then costs the EXIF block only, not the XMP packet or the colour profile beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivex::metadata_internal {

enum class JpegPart {
    kExif,  // APP1 "Exif"
    kXmp,   // APP1 with the XMP namespace
    kIptc,  // APP13 "Photoshop 3.0"
    kIcc,   // APP2 "ICC_PROFILE", every chunk
};

// A JPEG made of the start-of-image marker, the segments of data (a JPEG file) that hold part,
// in their order, and the end-of-image marker; empty when data is no JPEG or holds no such
// segment. Segments are taken up to the start of scan; a length that runs past the end of data
// ends the walk.
std::vector<uint8_t> JpegWithOnly(const uint8_t* data, size_t size, JpegPart part);

}  // namespace lumivex::metadata_internal
