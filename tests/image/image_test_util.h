// Helpers shared by the image tests: reading fixtures, hashing decoded pixels, building files.
#pragma once

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/image_codec.h"
#include "image/image_stream.h"
#include "image/rgb_image.h"

namespace lumivex::test {

inline std::string DataPath(const std::string& relative) {
    return std::string(LUMIVEX_TEST_DATA) + "/image/" + relative;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// R, G, B bytes of every pixel, top row first (the order of PNG/PPM files).
inline std::vector<uint8_t> TopDownRgb(const RgbImage& image) {
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(image.Width()) * image.Height() * 3);
    for (int32_t y = image.Height() - 1; y >= 0; --y) {
        for (int32_t x = 0; x < image.Width(); ++x) {
            const Colour c = image.ReadPixelColour(x, y);
            rgb.insert(rgb.end(), {ColourRed(c), ColourGreen(c), ColourBlue(c)});
        }
    }
    return rgb;
}

inline uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint8_t b : bytes)
        h = (h ^ b) * 0x100000001B3ull;
    return h;
}

// The hash above as 16 lower-case hex digits, as the fixtures' expected.csv files hold it.
inline std::string PixelHash(const RgbImage& image) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, Fnv1a64(TopDownRgb(image)));
    return hex;
}

struct Decoded {
    bool ok;
    RgbImage image;
    std::string reason;
    std::string warning;
};

inline Decoded DecodeWith(ImageCodec& codec, const std::vector<uint8_t>& bytes) {
    MemoryImageStream stream(bytes);
    Decoded d;
    d.ok = codec.Decode(stream, d.image);
    d.reason = codec.FailureReason();
    d.warning = codec.Warning();
    return d;
}

// A 24-bit picture whose colours change along both axes.
inline RgbImage Gradient(int32_t width, int32_t height) {
    RgbImage image(width, height, 24);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            image.WritePixelColour(
                x, y, MakeColour(static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 128));
        }
    }
    return image;
}

// Splits one line of a simple CSV file (no quoted fields).
inline std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

// Decodes every file listed in FOLDER/expected.csv (columns file, decode, width, height, bits,
// dpi_x, dpi_y, rgb_fnv1a64) and checks the outcome and every listed value; a hash of "-" means
// the pixels are not defined for that file. decode is "fail", "ok" (decodes with no warning) or
// "short" / "damaged" (decodes with the codec's warning that the data ends early / is damaged).
// Returns the number of files checked.
inline int CheckExpectedList(const std::string& folder, ImageCodec& codec) {
    std::ifstream list(DataPath(folder + "/expected.csv"));
    EXPECT_TRUE(list.good()) << folder;
    std::string line;
    std::getline(list, line);
    int files = 0;
    while (std::getline(list, line)) {
        const std::vector<std::string> f = SplitCsv(line);
        EXPECT_EQ(f.size(), 8u) << line;
        if (f.size() != 8)
            continue;
        SCOPED_TRACE(f[0]);
        const std::vector<uint8_t> bytes = ReadBytes(DataPath(folder + "/" + f[0]));
        EXPECT_FALSE(bytes.empty());
        const Decoded d = DecodeWith(codec, bytes);
        ++files;
        if (f[1] == "fail") {
            EXPECT_FALSE(d.ok);
            EXPECT_TRUE(d.image.IsEmpty());
            EXPECT_FALSE(d.reason.empty());
            continue;
        }
        EXPECT_TRUE(d.ok) << d.reason;
        if (!d.ok)
            continue;
        if (f[1] == "ok") {
            EXPECT_EQ(d.warning, "");
        } else {
            EXPECT_NE(d.warning.find(f[1] == "short" ? "ends early" : "damaged in places"),
                      std::string::npos)
                << d.warning;
        }
        EXPECT_EQ(d.image.Width(), std::stoi(f[2]));
        EXPECT_EQ(d.image.Height(), std::stoi(f[3]));
        EXPECT_EQ(d.image.BitsPerPixel(), std::stoi(f[4]));
        EXPECT_EQ(d.image.HorizontalDpi(), std::stoi(f[5]));
        EXPECT_EQ(d.image.VerticalDpi(), std::stoi(f[6]));
        if (f[7] != "-") {
            EXPECT_EQ(PixelHash(d.image), f[7]) << "decoded pixels differ";
        }
    }
    return files;
}

// Appends little-endian values to a byte vector, for building files in tests.
class ByteBuilder {
public:
    ByteBuilder& U8(uint32_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    ByteBuilder& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    ByteBuilder& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    ByteBuilder& Bytes(const std::vector<uint8_t>& v) {
        bytes.insert(bytes.end(), v.begin(), v.end());
        return *this;
    }
    ByteBuilder& Fill(size_t count, uint8_t value) {
        bytes.insert(bytes.end(), count, value);
        return *this;
    }
    std::vector<uint8_t> bytes;
};

}  // namespace lumivex::test
