// Writing a picture under a path with the codec its extension names (".jpg"/".jpeg" -> JPEG,
// anything else -> BMP), without ever leaving a half-written file behind.
#pragma once

#include <string>

#include "image/rgb_image.h"

namespace lumivex {

// Encodes into a temporary file in the target's folder, flushes it to disk and renames it over
// path only after a complete write. On failure returns false, leaves any existing file at path
// untouched and, when error is given, says why (with the system's error text).
bool SaveImageToPath(const RgbImage& image, const std::string& path, std::string* error);

}  // namespace lumivex
