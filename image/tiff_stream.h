// libtiff over an ImageStream: the client procedures, and library errors and warnings kept as
// texts instead of being printed. Offsets in the TIFF data count from the stream position at
// opening, so a TIFF embedded in a larger stream reads as one on its own.
#pragma once

#include <tiffio.h>

#include <memory>
#include <string>

#include "image/image_stream.h"

namespace lumivex {

// What libtiff said while a file was open: its first error and its first warning.
struct TiffMessages {
    std::string error;
    std::string warning;
    // The error, else the warning, else fallback.
    std::string Reason(const std::string& fallback) const;
};

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Where the client procedures read and write; must outlive the handle.
struct TiffStreamState {
    ImageStream* stream = nullptr;
    int64_t base = 0;
    TiffMessages messages;
};

// Opens TIFF data at the stream's current position; mode "r" or "w" as for TIFFOpen. Null
// when libtiff refuses (state.messages then says why). No single allocation of the library may
// exceed the picture size limit.
TiffHandle OpenTiff(TiffStreamState& state, const char* mode);

}  // namespace lumivex
