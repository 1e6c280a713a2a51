// Reading a picture file with the codec its extension names.
#pragma once

#include <string>

#include "image/image_codec.h"
#include "image/rgb_image.h"

namespace lumivex {

// What reading a picture file tells beside the picture.
struct ImageFileFacts {
    std::string format;            // the codec's format name: "bmp", "jpeg", "png", "tiff"
    std::string warning;           // the codec's Warning(): what was wrong with a file that decoded
    int32_t fileBitsPerPixel = 0;  // the codec's FileBitsPerPixel()
};

// ".bmp" -> BMP, ".jpg"/".jpeg" -> JPEG, ".png" -> PNG, ".tif"/".tiff" -> TIFF (any case).
// On failure out is empty and error (when
// given) is "Unknown file format", the system's text for a file that cannot be opened, or the
// codec's reason. A picture refused for its size (its header asks for more than kMaxPixelDataBytes
// of pixel data, or more than memory holds) fails with TooLargeText() instead of the codec's
// reason; a file the codec says more about (FailureDetail) fails with that detail. facts (when
// given) receives the format whatever the outcome, and the rest after a success.
bool ReadImageFile(const std::string& path, RgbImage& out, std::string* error,
                   ImageFileFacts* facts = nullptr);

// True when codec's last failure means the picture was refused for its size.
bool RefusedForSize(const ImageCodec& codec);
// "The picture is too large: a picture may hold at most 256000000 bytes of pixels."
std::string TooLargeText();

}  // namespace lumivex
