#include "image/exif.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "image/byte_order.h"

namespace lumivex {

namespace {

constexpr uint16_t kTagXResolution = 0x011A;
constexpr uint16_t kTagYResolution = 0x011B;
constexpr uint16_t kTagResolutionUnit = 0x0128;
constexpr uint16_t kTagExifDirectory = 0x8769;
constexpr uint16_t kTagInteropDirectory = 0xA005;

// Legitimate files nest two levels (IFD0 -> EXIF -> interoperability); links that loop back
// must not recurse forever.
constexpr int kMaxNesting = 4;

// Byte sizes of the TIFF formats 1..12.
constexpr uint32_t kFormatSize[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

enum Format {
    kByte = 1,
    kAscii,
    kShort,
    kLong,
    kRational,
    kSignedByte,
    kUndefined,
    kSignedShort,
    kSignedLong,
    kSignedRational,
    kFloat,
    kDouble
};

class TiffReader {
public:
    TiffReader(const uint8_t* tiff, uint32_t length, bool bigEndian)
        : tiff_(tiff), length_(length), bigEndian_(bigEndian) {}

    uint32_t Length() const { return length_; }
    // offset + count lies within the data (no wrap-around).
    bool Holds(uint64_t offset, uint64_t count) const { return offset + count <= length_; }
    const uint8_t* At(uint32_t offset) const { return tiff_ + offset; }
    uint16_t U16(const uint8_t* p) const { return bigEndian_ ? LoadBe16(p) : LoadLe16(p); }
    uint32_t U32(const uint8_t* p) const { return bigEndian_ ? LoadBe32(p) : LoadLe32(p); }

    // A numeric value of any format as a real; text and undefined bytes give 0.
    double Number(const uint8_t* p, uint16_t format) const {
        switch (format) {
            case kByte:
                return p[0];
            case kSignedByte:
                return static_cast<int8_t>(p[0]);
            case kShort:
                return U16(p);
            case kSignedShort:
                return static_cast<int16_t>(U16(p));
            case kLong:
                return U32(p);
            case kSignedLong:
                return static_cast<int32_t>(U32(p));
            case kRational:
                return Ratio(U32(p), U32(p + 4));
            case kSignedRational:
                return Ratio(static_cast<int32_t>(U32(p)), static_cast<int32_t>(U32(p + 4)));
            case kFloat: {
                const uint32_t bits = U32(p);
                float f;
                std::memcpy(&f, &bits, sizeof f);
                return f;
            }
            case kDouble: {
                const uint64_t hi = U32(bigEndian_ ? p : p + 4);
                const uint64_t lo = U32(bigEndian_ ? p + 4 : p);
                const uint64_t bits = (hi << 32) | lo;
                double d;
                std::memcpy(&d, &bits, sizeof d);
                return d;
            }
            default:
                return 0;
        }
    }

private:
    static double Ratio(double numerator, double denominator) {
        return denominator == 0 ? 0 : numerator / denominator;
    }

    const uint8_t* tiff_;
    uint32_t length_;
    bool bigEndian_;
};

float UnitFactor(int unit, float current) {
    switch (unit) {
        case 1:
        case 2:
            return 1.0f;
        case 3:
            return 0.3937007784843445f;
        case 4:
            return 0.03937007859349251f;
        case 5:
            return 3.937007932108827e-05f;
        default:
            return current;
    }
}

class ExifWalker {
public:
    ExifWalker(const TiffReader& tiff, ExifInfo& info) : tiff_(tiff), info_(info) {}

    bool WalkDirectory(uint32_t start, int nesting) {
        if (nesting > kMaxNesting)
            return true;
        // A directory linked from several entries is read once: otherwise a directory whose
        // entries all link back to it costs entries^kMaxNesting steps.
        if (std::find(visited_.begin(), visited_.end(), start) != visited_.end())
            return true;
        visited_.push_back(start);
        if (!tiff_.Holds(start, 2))
            return Fail("Illegally sized directory");
        const uint32_t entries = tiff_.U16(tiff_.At(start));
        if (!tiff_.Holds(uint64_t{start} + 2, uint64_t{entries} * 12)) {
            return Fail("Illegally sized directory");
        }
        entriesLeft_ -= static_cast<int32_t>(entries);
        if (entriesLeft_ < 0)
            return Fail("Too many EXIF directory entries");
        for (uint32_t i = 0; i < entries; ++i) {
            if (!WalkEntry(tiff_.At(start + 2 + i * 12), nesting))
                return false;
        }
        return true;
    }

    std::string message;

private:
    bool Fail(const char* text) {
        message = text;
        return false;
    }

    bool WalkEntry(const uint8_t* entry, int nesting) {
        const uint16_t tag = tiff_.U16(entry);
        const uint16_t format = tiff_.U16(entry + 2);
        const uint32_t count = tiff_.U32(entry + 4);
        if (format < 1 || format > 12)
            return Fail("Illegal format code in EXIF dir");
        // 64 bits: a count near 2^32 times an 8-byte format does not fit 32.
        const uint64_t bytes = uint64_t{count} * kFormatSize[format];
        const uint8_t* value = entry + 8;
        if (bytes > 4) {
            const uint32_t offset = tiff_.U32(entry + 8);
            if (!tiff_.Holds(offset, bytes))
                return Fail("Illegal pointer offset value in EXIF.");
            value = tiff_.At(offset);
        }
        // Values of 4 bytes or fewer sit in the entry itself; reading a whole number from
        // there may look at the rest of the 4-byte field, never beyond the entry.
        if (bytes < kFormatSize[format])
            return true;  // count 0: nothing to read
        switch (tag) {
            case kTagXResolution:
                info_.xResolution = static_cast<float>(tiff_.Number(value, format));
                break;
            case kTagYResolution:
                info_.yResolution = static_cast<float>(tiff_.Number(value, format));
                break;
            case kTagResolutionUnit:
                info_.unitFactor =
                    UnitFactor(UnitValue(tiff_.Number(value, format)), info_.unitFactor);
                break;
            case kTagExifDirectory:
            case kTagInteropDirectory: {
                const uint32_t link = tiff_.U32(value);
                if (link >= tiff_.Length())
                    return Fail("Illegal subdirectory link");
                return WalkDirectory(link, nesting + 1);
            }
            default:
                break;
        }
        return true;
    }

    static int UnitValue(double value) {
        return (value >= -1e9 && value <= 1e9) ? static_cast<int>(value) : 0;
    }

    const TiffReader& tiff_;
    ExifInfo& info_;
    std::vector<uint32_t> visited_;
    // Entries of all directories together: a section of 64 KB holds at most 5461 in a single
    // directory, so only overlapping directories read over and over can reach this.
    int32_t entriesLeft_ = 65536;
};

bool Report(std::string* message, const std::string& text) {
    if (message)
        *message = text;
    return false;
}

}  // namespace

bool ParseExif(const uint8_t* data, int32_t sectionLength, ExifInfo& info, std::string* message) {
    static const uint8_t kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || sectionLength < 8 || std::memcmp(data, kHeader, 6) != 0) {
        return Report(message, "Incorrect Exif header");
    }
    const uint8_t* tiff = data + 6;
    const uint32_t length = static_cast<uint32_t>(sectionLength - 8);
    bool bigEndian;
    if (length >= 2 && tiff[0] == 'I' && tiff[1] == 'I') {
        bigEndian = false;
    } else if (length >= 2 && tiff[0] == 'M' && tiff[1] == 'M') {
        bigEndian = true;
    } else {
        return Report(message, "Invalid Exif alignment marker.");
    }
    const TiffReader reader(tiff, length, bigEndian);
    if (length < 4 || reader.U16(tiff + 2) != 42)
        return Report(message, "Invalid Exif start (1)");
    const uint32_t firstOffset = length >= 8 ? reader.U32(tiff + 4) : 0;
    if (firstOffset < 8 || firstOffset > 16) {
        return Report(message, "Suspicious offset of first IFD value");
    }
    ExifWalker walker(reader, info);
    if (!walker.WalkDirectory(8, 0))
        return Report(message, walker.message);
    return true;
}

int32_t ExifDpi(float resolution, float unitFactor) {
    if (resolution == 0 || unitFactor == 0)
        return 96;
    const float dpi = resolution / unitFactor;
    if (!(dpi > -2147483648.0f && dpi < 2147483648.0f))
        return 96;
    return static_cast<int32_t>(dpi);
}

}  // namespace lumivex
