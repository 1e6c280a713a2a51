// Checks the fuzz targets run on whatever a reader accepted: every byte it claims to hold is
// read, so AddressSanitizer sees a buffer shorter than its header says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/image_codec.h"
#include "image/image_stream.h"
#include "image/rgb_image.h"

namespace lumivex::fuzz {

inline void TouchBytes(const uint8_t* bytes, size_t count) {
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    (void)sum;
}

inline void TouchPicture(const RgbImage& image) {
    if (image.IsEmpty())
        return;
    const int32_t rows = image.Height() < 0 ? -image.Height() : image.Height();
    TouchBytes(image.Bits(), static_cast<size_t>(image.Stride()) * static_cast<size_t>(rows));
    if (image.Palette() != nullptr)
        TouchBytes(image.Palette(), static_cast<size_t>(image.PaletteByteCount()));
}

// Writes a small accepted picture with the same codec and reads it back: the pixels must come
// back exactly (the writers are lossless for 24-bit pictures). Aborts, so the fuzzer reports it,
// when they do not.
inline void CheckRoundTrip(ImageCodec& codec, const RgbImage& image) {
    constexpr int64_t kMaxPixels = 1 << 16;
    if (image.IsEmpty() || int64_t{image.Width()} * image.Height() > kMaxPixels)
        return;
    MemoryImageStream written;
    if (!codec.Encode(written, image))
        std::abort();
    MemoryImageStream reread(written.Data());
    RgbImage copy;
    if (!codec.Decode(reread, copy) || copy.Width() != image.Width() ||
        copy.Height() != image.Height())
        std::abort();
    for (int32_t y = 0; y < image.Height(); ++y) {
        if (std::memcmp(copy.Row(y), image.Row(y), static_cast<size_t>(image.Width()) * 3) != 0)
            std::abort();
    }
}

}  // namespace lumivex::fuzz
