// Writing a picture under a path with the codec its extension names (".jpg"/".jpeg" -> JPEG,
// anything else -> BMP), without ever leaving a half-written file behind.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/rgb_image.h"

namespace lumivex {

// Encodes into a temporary file in the target's folder, flushes it to disk and renames it over
// path only after a complete write. On failure returns false, leaves any existing file at path
// untouched and, when error is given, says why (with the system's error text).
bool SaveImageToPath(const RgbImage& image, const std::string& path, std::string* error);

// Rewrites a picture's complete encoded bytes before they are written (to add metadata, say).
using EncodedBytesFilter = std::function<void(std::vector<uint8_t>& encoded)>;

// As above, but when filter is set the picture is encoded in memory and passed through it first.
bool SaveImageToPath(const RgbImage& image, const std::string& path, std::string* error,
                     const EncodedBytesFilter& filter);

// Writes the file's new content through stream; false with why set when it cannot.
using ContentWriter = std::function<bool(FileImageStream& stream, std::string* why)>;

// The mechanism behind SaveImageToPath, for any file: write into a temporary file beside path,
// flush it to disk, rename it over path. A replaced file keeps its permissions. On failure the
// temporary file is removed, an existing file at path stays as it was, and error (when given)
// reads "Cannot write PATH: reason" or "Cannot replace PATH: reason".
bool ReplaceFileAtomically(const std::string& path, const ContentWriter& write, std::string* error);

}  // namespace lumivex
