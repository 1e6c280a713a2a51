// Reading a picture file with the codec its extension names.
#pragma once

#include <string>

#include "image/rgb_image.h"

namespace lumivex {

// ".bmp" -> BMP, ".jpg"/".jpeg" -> JPEG (any case). On failure out is empty and error (when
// given) is "Unknown file format", the system's text for a file that cannot be opened, or the
// codec's reason. format (when given) receives the codec's format name ("bmp", "jpeg").
bool ReadImageFile(const std::string& path, RgbImage& out, std::string* error,
                   std::string* format = nullptr);

}  // namespace lumivex
