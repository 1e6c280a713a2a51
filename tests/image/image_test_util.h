// Helpers shared by the image tests: reading fixtures, hashing decoded pixels, building files.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
