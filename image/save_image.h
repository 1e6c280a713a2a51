// Writing a picture under a path with the codec its extension names (CodecForWriting; a name
// that names none is refused), without ever leaving a half-written file behind.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/rgb_image.h"

namespace lumivex {

// Encodes into a temporary file in the target's folder, flushes it to disk and renames it over
// path only after a complete write (see ReplaceFileAtomically for links, streams and folders
// that take no new file). On failure returns false, leaves any existing file at path untouched
// and, when error is given, says why (with the system's error text); reason, when given,
// receives the why alone ("Permission denied").
bool SaveImageToPath(const RgbImage& image, const std::string& path, std::string* error,
                     std::string* reason = nullptr);

// Rewrites a picture's complete encoded bytes before they are written (to add metadata, say).
using EncodedBytesFilter = std::function<void(std::vector<uint8_t>& encoded)>;

// As SaveImageToPath, but when rewrite is set the picture is encoded in memory and passed
// through it before anything is written.
bool SaveRewrittenImageToPath(const RgbImage& image, const std::string& path,
                              const EncodedBytesFilter& rewrite, std::string* error,
                              std::string* reason = nullptr);

// Writes the file's new content through stream; false with why set when it cannot.
using ContentWriter = std::function<bool(FileImageStream& stream, std::string* why)>;

// The mechanism behind SaveImageToPath, for any file: write into a temporary file beside path,
// flush it to disk, rename it over path. A replaced file keeps its permissions and, where the
// system permits, its owner and group.
// - A symbolic link stays: its final target is replaced.
// - A FIFO, a character device, or /dev/stdout, /dev/stderr, /dev/fd/N, receives the complete
//   content directly, with no temporary file.
// - Where no temporary file can be made beside an existing, writable file (a folder the user
//   cannot write), the complete content is written over the file in place.
// The content is always complete before anything at path changes. On failure the temporary file
// is removed, an existing file at path stays as it was (unless an in-place write failed, which
// the message then says), and error (when given) reads "Cannot write PATH: reason" or "Cannot
// replace PATH: reason"; reason (when given) receives the reason alone.
bool ReplaceFileAtomically(const std::string& path, const ContentWriter& write, std::string* error,
                           std::string* reason = nullptr);

// While flag is set and reads true, every save stops before anything at its path changes: the
// temporary file is removed and the save fails with the reason "interrupted". A command-line
// program points it at its interrupt flag; nullptr (the default) turns it off.
void AbandonSavesWhen(const std::atomic<bool>* flag);

}  // namespace lumivex
