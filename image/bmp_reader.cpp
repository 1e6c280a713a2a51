// Reading of bitmap files: file header, information header variants, palette and pixel data.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "image/bmp_codec.h"
#include "image/bmp_masks.h"
#include "image/bmp_rle.h"
#include "image/byte_order.h"
#include "image/picture_rows.h"

namespace lumivex {

namespace {

constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kCompressionJpeg = 4;
constexpr uint32_t kCompressionPng = 5;

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kOs2HeaderSize = 64;

// The fields of an information header the reader uses, in the 40-byte layout.
struct BmpInfo {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bits = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
    uint32_t coloursUsed = 0;
    bool core = false;  // 3-byte palette entries
    // A later header the plain reading refuses, read with the masks it holds.
    bool masked = false;
    BmpChannelMasks masks;
};

BmpInfo ParseInfoHeader(const uint8_t* h) {
    BmpInfo info;
    info.headerSize = LoadLe32(h);
    if (info.headerSize == kCoreHeaderSize) {
        info.width = LoadLe16(h + 4);
        info.height = LoadLe16(h + 6);
        info.planes = LoadLe16(h + 8);
        info.bits = LoadLe16(h + 10);
        info.core = true;
        return info;
    }
    info.width = LoadLeInt32(h + 4);
    info.height = LoadLeInt32(h + 8);
    info.planes = LoadLe16(h + 12);
    info.bits = LoadLe16(h + 14);
    info.compression = LoadLe32(h + 16);
    info.imageSize = LoadLe32(h + 20);
    info.xPixelsPerMetre = LoadLeInt32(h + 24);
    info.yPixelsPerMetre = LoadLeInt32(h + 28);
    info.coloursUsed = LoadLe32(h + 32);
    return info;
}

// Later header versions are taken only when they describe a plain uncompressed bitmap that
// the 40-byte part fully describes.
bool LaterHeaderAcceptable(const BmpInfo& info) {
    const int64_t stride = (static_cast<int64_t>(info.bits) * info.width + 31) / 32 * 4;
    int64_t pixelBytes = 0;  // absurd header values overflow even 64 bits
    if (__builtin_mul_overflow(stride, static_cast<int64_t>(info.height), &pixelBytes)) {
        return false;
    }
    return static_cast<int64_t>(info.imageSize) == pixelBytes && info.planes == 1 &&
           info.compression == kCompressionNone && info.coloursUsed == 0;
}

constexpr char kInfoError[] = "Error reading BMP info";

// The later header versions that hold bit-field masks (RGB from 52 bytes on, alpha from 56).
bool IsMaskedHeaderSize(uint32_t size) {
    return size == 52 || size == 56 || size == 108 || size == 124;
}

// A later header that the plain reading refuses is read again with its masks: the rest of the
// header is loaded, and files that only wrap a JPEG or PNG picture are refused by name.
const char* ReadMaskedHeader(ImageStream& stream, BmpInfo& info) {
    if (info.compression == kCompressionJpeg)
        return "BMP files holding a JPEG picture are not supported";
    if (info.compression == kCompressionPng)
        return "BMP files holding a PNG picture are not supported";
    uint8_t rest[124 - kInfoHeaderSize] = {};
    const int32_t restSize = static_cast<int32_t>(info.headerSize - kInfoHeaderSize);
    if (stream.Read(rest, restSize) != restSize)
        return kInfoError;
    info.masked = true;
    if (info.bits == 16 && info.compression != kCompressionBitFields) {
        info.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (info.compression != kCompressionBitFields) {
        info.masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
    } else {
        info.masks = {LoadLe32(rest), LoadLe32(rest + 4), LoadLe32(rest + 8),
                      info.headerSize >= 56 ? LoadLe32(rest + 12) : 0};
    }
    return nullptr;
}

// Reads the information header and leaves the stream right after it; the failure text, or
// nullptr.
const char* ReadInfoHeader(ImageStream& stream, BmpInfo& info) {
    uint8_t header[kInfoHeaderSize];
    if (stream.Read(header, sizeof header) != static_cast<int32_t>(sizeof header))
        return kInfoError;
    info = ParseInfoHeader(header);
    if (info.headerSize == kCoreHeaderSize) {
        if (!stream.Seek(-static_cast<int32_t>(kInfoHeaderSize - kCoreHeaderSize),
                         SeekOrigin::kCurrent)) {
            return kInfoError;
        }
    } else if (info.headerSize == kOs2HeaderSize) {
        if (!SeekForward(stream, kOs2HeaderSize - kInfoHeaderSize))
            return kInfoError;
    } else if (info.headerSize > kInfoHeaderSize && LaterHeaderAcceptable(info)) {
        if (!SeekForward(stream, info.headerSize - kInfoHeaderSize))
            return kInfoError;
    } else if (IsMaskedHeaderSize(info.headerSize)) {
        if (const char* failure = ReadMaskedHeader(stream, info))
            return failure;
    } else if (info.headerSize != kInfoHeaderSize) {
        return kInfoError;
    }
    if (info.coloursUsed == 0 && info.bits <= 8)
        info.coloursUsed = 1u << info.bits;
    return nullptr;
}

// A header whose dimensions no picture can have, whatever the size limit: the words for it, or
// nullptr. (A negative height only means rows stored top-down.)
const char* DimensionFault(const BmpInfo& info) {
    if (info.width < 0)
        return "negative width in the header";
    if (info.width == 0)
        return "zero width in the header";
    if (info.height == 0)
        return "zero height in the header";
    return nullptr;
}

bool SupportedDepth(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads up to count bytes into buffer; a short stream leaves the rest as it was and gives false.
bool ReadInto(ImageStream& stream, uint8_t* buffer, int64_t count) {
    while (count > 0) {
        const int32_t step =
            static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
        const int32_t got = stream.Read(buffer, step);
        if (got <= 0)
            return false;
        buffer += got;
        count -= got;
    }
    return true;
}

// Reads height rows of stride bytes, each rowBytes of pixels and its padding; false when the data
// ends before the last pixel (a last row without its padding is whole).
bool ReadRows(ImageStream& stream, uint8_t* buffer, int64_t stride, int64_t height,
              int64_t rowBytes) {
    const int64_t needed = stride * (height - 1) + rowBytes;
    if (!ReadInto(stream, buffer, needed))
        return false;
    ReadInto(stream, buffer + needed, stride - rowBytes);
    return true;
}

// Reads the file's palette entries into the image palette (at most the image's entry count)
// and leaves the stream after the file's whole palette.
void ReadPalette(ImageStream& stream, const BmpInfo& info, RgbImage& image) {
    const int entrySize = info.core ? 3 : 4;
    const int32_t count = image.PaletteEntryCount();
    uint8_t raw[256 * 4] = {};
    ReadInto(stream, raw, static_cast<int64_t>(count) * entrySize);
    uint8_t entries[256 * 4];
    for (int32_t i = 0; i < count; ++i) {
        std::memcpy(entries + i * 4, raw + i * entrySize, 3);
        entries[i * 4 + 3] = 0;
    }
    image.LoadPaletteEntries(entries, count);
    SeekForward(stream, (static_cast<int64_t>(info.coloursUsed) - count) * entrySize);
}

struct BitMasks {
    uint32_t red = 0x7C00;
    uint32_t green = 0x03E0;
    uint32_t blue = 0x001F;
};

BitMasks ReadBitMasks(ImageStream& stream, const BmpInfo& info) {
    BitMasks masks;
    if (info.compression != kCompressionBitFields)
        return masks;
    uint8_t raw[12] = {};
    ReadInto(stream, raw, sizeof raw);
    masks.red = LoadLe32(raw);
    masks.green = LoadLe32(raw + 4);
    masks.blue = LoadLe32(raw + 8);
    return masks;
}

void ReverseRows(RgbImage& image) {
    const int32_t height = image.Height();
    std::vector<uint8_t> spare(static_cast<size_t>(image.Stride()));
    for (int32_t top = height - 1, bottom = 0; bottom < top; --top, ++bottom) {
        std::memcpy(spare.data(), image.Row(top), spare.size());
        std::memcpy(image.Row(top), image.Row(bottom), spare.size());
        std::memcpy(image.Row(bottom), spare.data(), spare.size());
    }
}

// 32-bit pixels: blue, green, red and an unused byte, read a slice at a time so that no copy of
// the packed data is ever held beside the picture (a header alone could otherwise make the
// reader allocate a third more than the picture limit). Pixels past the end of the data stay 0,
// and the result is false when there are any.
bool ReadPacked32(ImageStream& stream, RgbImage& image) {
    constexpr int32_t kSlicePixels = 4096;
    uint8_t packed[kSlicePixels * 4];
    const int32_t width = image.Width();
    bool complete = true;
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* out = image.Row(y);
        for (int32_t x = 0; x < width; x += kSlicePixels) {
            const int32_t count = std::min(kSlicePixels, width - x);
            std::memset(packed, 0, static_cast<size_t>(count) * 4);
            complete = ReadInto(stream, packed, static_cast<int64_t>(count) * 4) && complete;
            for (int32_t i = 0; i < count; ++i, out += 3)
                std::memcpy(out, packed + i * 4, 3);
        }
    }
    return complete;
}

// Reads the pixel data of every depth and compression; returns the failure text, or nullptr.
// complete becomes false when the data ends before the last pixel.
const char* ReadPixelData(ImageStream& stream, const BmpInfo& info, int64_t pixelStart,
                          RgbImage& image, bool& complete) {
    const uint16_t bits = info.bits;
    const uint32_t compression = info.compression;
    if (bits <= 8 && compression != kCompressionNone && compression != kCompressionRle8 &&
        compression != kCompressionRle4) {
        return "compression type not supported";
    }
    if ((bits == 24 && compression != kCompressionNone) ||
        (bits == 32 && compression != kCompressionNone && compression != kCompressionBitFields)) {
        return "unknown compression";
    }
    const BitMasks masks = bits == 16 && !info.masked ? ReadBitMasks(stream, info) : BitMasks{};
    if (pixelStart >= 0) {
        if (!SeekTo(stream, pixelStart))
            return "Error reading BMP pixels";
    } else if (bits > 8) {
        // A palette in front of packed pixels has no use; step over it.
        SeekForward(stream, static_cast<int64_t>(info.coloursUsed) * (info.core ? 3 : 4));
    }

    const int64_t height = image.Height();
    if (info.masked && (bits == 16 || bits == 32)) {
        complete = ReadMaskedPixels(stream, bits, info.masks, image);
    } else if (bits == 16) {
        const int64_t packedStride = static_cast<int64_t>((image.Width() + 1) / 2) * 4;
        complete = ReadRows(stream, image.Bits(), packedStride, height, image.Width() * 2LL);
        image.ExpandPackedPixels(image.Bits(), masks.red, masks.green, masks.blue, 16);
    } else if (bits == 32) {
        complete = ReadPacked32(stream, image);
    } else if (compression == kCompressionRle8) {
        complete = DecodeBmpRunLength(stream, BmpRunLength::kEightBit, image);
    } else if (compression == kCompressionRle4) {
        complete = DecodeBmpRunLength(stream, BmpRunLength::kFourBit, image);
    } else {
        const int64_t rowBytes = (static_cast<int64_t>(image.Width()) * bits + 7) / 8;
        complete = ReadRows(stream, image.Bits(), image.Stride(), height, rowBytes);
    }
    return nullptr;
}

}  // namespace

bool BmpCodec::Decode(ImageStream& stream, RgbImage& image) {
    image.Release();
    ClearFailure();
    const int64_t start = stream.Tell();
    uint8_t fileHeader[14];
    if (start < 0 || stream.Read(fileHeader, sizeof fileHeader) != 14)
        return Fail("Not a BMP");
    uint32_t pixelOffset = 0;
    if (fileHeader[0] == 'B' && fileHeader[1] == 'M') {
        pixelOffset = LoadLe32(fileHeader + 10);
    } else if (!SeekTo(stream, start)) {
        return Fail("Not a BMP");
    }

    BmpInfo info;
    if (const char* failure = ReadInfoHeader(stream, info))
        return Fail(failure);
    if (!SupportedDepth(info.bits))
        return Fail("unsupported bit depth");
    constexpr char kAllocationFailure[] = "Can't allocate memory";
    if (const char* fault = DimensionFault(info))
        return Fail(kAllocationFailure, fault);
    const bool topDown = info.height < 0;
    // -2^31 has no positive counterpart; no such picture fits the size limit anyway.
    const int64_t height = std::abs(static_cast<int64_t>(info.height));
    if (height > std::numeric_limits<int32_t>::max() ||
        !image.Allocate(info.width, static_cast<int32_t>(height), info.bits)) {
        return Fail(kAllocationFailure);
    }
    if (info.bits <= 8) {
        const uint32_t maxEntries = 1u << info.bits;
        image.SetPaletteEntryCount(static_cast<int32_t>(std::min(info.coloursUsed, maxEntries)));
    }
    // Rows a short file does not reach come out black rather than as stale memory.
    const int64_t pixelBytes = static_cast<int64_t>(image.Stride()) * image.Height();
    std::memset(image.Bits(), 0, static_cast<size_t>(pixelBytes));
    image.SetHorizontalDpi(DpiFromPixelsPerMetre(info.xPixelsPerMetre));
    image.SetVerticalDpi(DpiFromPixelsPerMetre(info.yPixelsPerMetre));
    if (info.bits <= 8)
        ReadPalette(stream, info, image);

    // Without a file header the pixels follow the palette directly.
    const int64_t pixelStart = pixelOffset != 0 ? start + pixelOffset : -1;
    bool complete = true;
    if (const char* failure = ReadPixelData(stream, info, pixelStart, image, complete)) {
        image.Release();
        return Fail(failure);
    }
    if (!complete)
        Warn(kEndsEarlyWarning);
    SetFileBitsPerPixel(info.bits);
    if (topDown)
        ReverseRows(image);
    return true;
}

}  // namespace lumivex
