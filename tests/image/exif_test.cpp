// EXIF parsing and the JPEG marker scan that finds EXIF blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/exif.h"
#include "image/image_stream.h"
#include "image/jpeg_sections.h"

namespace lumivex {
namespace {

constexpr uint32_t kLinkToSubDirectory = 0xFFFFFFFF;

struct Entry {
    uint16_t tag;
    uint16_t format;
    uint32_t count;
    uint32_t value;               // used when data is empty (little values in the entry)
    std::vector<uint8_t> data{};  // stored after the directory; value becomes its offset
};

// Builds "Exif\0\0" + TIFF data with IFD0 at offset 8 and an optional sub-directory that entries
// with value kLinkToSubDirectory point to.
class ExifBuilder {
public:
    explicit ExifBuilder(bool bigEndian) : big_(bigEndian) {}

    std::vector<uint8_t> Build(const std::vector<Entry>& ifd0, const std::vector<Entry>& sub = {},
                               uint32_t firstOffset = 8) {
        tiff_.clear();
        tiff_.push_back(big_ ? 'M' : 'I');
        tiff_.push_back(big_ ? 'M' : 'I');
        U16(42);
        U32(firstOffset);
        const uint32_t subOffset = 8 + Size(ifd0);
        Directory(ifd0, 8, subOffset);
        if (!sub.empty())
            Directory(sub, subOffset, 0);
        std::vector<uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
        block.insert(block.end(), tiff_.begin(), tiff_.end());
        return block;
    }

    // A rational's 8 bytes in this byte order.
    std::vector<uint8_t> Rational(uint32_t numerator, uint32_t denominator) const {
        std::vector<uint8_t> v;
        Put32(v, numerator);
        Put32(v, denominator);
        return v;
    }

private:
    static uint32_t Size(const std::vector<Entry>& entries) {
        uint32_t size = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
        for (const Entry& e : entries)
            size += static_cast<uint32_t>(e.data.size());
        return size;
    }

    void Directory(const std::vector<Entry>& entries, uint32_t start, uint32_t subOffset) {
        uint32_t dataOffset = start + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
        U16(static_cast<uint16_t>(entries.size()));
        for (const Entry& e : entries) {
            U16(e.tag);
            U16(e.format);
            U32(e.count);
            if (!e.data.empty()) {
                U32(dataOffset);
                dataOffset += static_cast<uint32_t>(e.data.size());
            } else if (e.value == kLinkToSubDirectory) {
                U32(subOffset);
            } else if (e.format == 3) {  // a short sits in the first two bytes
                U16(static_cast<uint16_t>(e.value));
                U16(0);
            } else {
                U32(e.value);
            }
        }
        U32(0);  // no next directory
        for (const Entry& e : entries)
            tiff_.insert(tiff_.end(), e.data.begin(), e.data.end());
    }

    void Put32(std::vector<uint8_t>& v, uint32_t x) const {
        for (int i = 0; i < 4; ++i)
            v.push_back(static_cast<uint8_t>(x >> (big_ ? 24 - 8 * i : 8 * i)));
    }
    void U16(uint16_t x) {
        tiff_.push_back(static_cast<uint8_t>(big_ ? x >> 8 : x));
        tiff_.push_back(static_cast<uint8_t>(big_ ? x : x >> 8));
    }
    void U32(uint32_t x) { Put32(tiff_, x); }

    bool big_;
    std::vector<uint8_t> tiff_;
};

struct ParseResult {
    bool ok;
    ExifInfo info;
    std::string message;
};

ParseResult Parse(const std::vector<uint8_t>& block) {
    ParseResult r{};
    r.ok = ParseExif(block.data(), static_cast<int32_t>(block.size()) + 2, r.info, &r.message);
    return r;
}

std::vector<Entry> Resolution(const ExifBuilder& b, uint32_t x, uint32_t unit) {
    return {{0x011A, 5, 1, 0, b.Rational(x, 1)},
            {0x011B, 5, 1, 0, b.Rational(x, 1)},
            {0x0128, 3, 1, unit}};
}

TEST(ParseExif, ReadsResolutionInBothByteOrders) {
    for (bool big : {false, true}) {
        ExifBuilder b(big);
        ParseResult r = Parse(b.Build(Resolution(b, 72, 2)));
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_FLOAT_EQ(r.info.xResolution, 72);
        EXPECT_FLOAT_EQ(r.info.unitFactor, 1.0f);
        EXPECT_EQ(ExifDpi(r.info.xResolution, r.info.unitFactor), 72);

        r = Parse(b.Build(Resolution(b, 28, 3)));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(ExifDpi(r.info.yResolution, r.info.unitFactor), 71);
    }
}

TEST(ParseExif, FollowsTheExifSubDirectory) {
    ExifBuilder b(false);
    ParseResult r = Parse(b.Build({{0x010F, 2, 4, 0x00414141}, {0x8769, 4, 1, kLinkToSubDirectory}},
                                  Resolution(b, 200, 2)));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(ExifDpi(r.info.xResolution, r.info.unitFactor), 200);
}

TEST(ParseExif, ConvertsEveryNumericFormat) {
    ExifBuilder b(true);
    struct Case {
        uint16_t format;
        uint32_t value;
        std::vector<uint8_t> data;
        float expected;
    };
    const std::vector<Case> cases = {
        {1, 0x96000000, {}, 150},                             // byte, first byte of the field
        {3, 300, {}, 300},                                    // short
        {4, 600, {}, 600},                                    // long
        {9, 0xFFFFFF9C, {}, -100},                            // signed long
        {10, 0, {0xFF, 0xFF, 0xFF, 0x38, 0, 0, 0, 2}, -100},  // signed rational -200/2
        {11, 0x43480000, {}, 200},                            // float 200.0
        {12, 0, {0x40, 0x59, 0, 0, 0, 0, 0, 0}, 100},         // double 100.0
        {2, 0x37320000, {}, 0},                               // text "72" is not a number
        {5, 0, b.Rational(72, 0), 0},                         // zero denominator
    };
    for (const Case& c : cases) {
        ParseResult r = Parse(b.Build({{0x011A, c.format, 1, c.value, c.data}}));
        ASSERT_TRUE(r.ok) << c.format << ": " << r.message;
        EXPECT_FLOAT_EQ(r.info.xResolution, c.expected) << "format " << c.format;
    }
}

TEST(ParseExif, UnitsAndTheDpiRule) {
    ExifBuilder b(false);
    const float factors[] = {
        0, 1, 1, 0.3937007784843445f, 0.03937007859349251f, 3.937007932108827e-05f, 0};
    for (uint32_t unit = 0; unit <= 6; ++unit) {
        ParseResult r = Parse(b.Build({{0x0128, 3, 1, unit}}));
        ASSERT_TRUE(r.ok);
        EXPECT_FLOAT_EQ(r.info.unitFactor, factors[unit]) << unit;
    }
    EXPECT_EQ(ExifDpi(72, 0), 96);
    EXPECT_EQ(ExifDpi(0, 1), 96);
    EXPECT_EQ(ExifDpi(118.11f, 0.3937007784843445f), 299);
    EXPECT_EQ(ExifDpi(3e38f, 1e-30f), 96);  // not a finite 32-bit value
    EXPECT_EQ(ExifDpi(-50, 1), -50);
}

TEST(ParseExif, ReportsEveryMalformedStructure) {
    ExifBuilder b(false);
    const std::vector<uint8_t> good = b.Build(Resolution(b, 72, 2));
    auto failsWith = [](std::vector<uint8_t> block, const std::string& text) {
        ParseResult r = Parse(block);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, text);
    };
    std::vector<uint8_t> bad = good;
    bad[4] = 1;
    failsWith(bad, "Incorrect Exif header");
    failsWith({'E', 'x', 'i', 'f'}, "Incorrect Exif header");
    bad = good;
    bad[6] = 'X';
    failsWith(bad, "Invalid Exif alignment marker.");
    bad = good;
    bad[8] = 43;
    failsWith(bad, "Invalid Exif start (1)");
    failsWith(b.Build(Resolution(b, 72, 2), {}, 7), "Suspicious offset of first IFD value");
    failsWith(b.Build(Resolution(b, 72, 2), {}, 17), "Suspicious offset of first IFD value");
    EXPECT_TRUE(Parse(b.Build(Resolution(b, 72, 2), {}, 16)).ok);
    failsWith(std::vector<uint8_t>(good.begin(), good.begin() + 30), "Illegally sized directory");
    failsWith(b.Build({{0x011A, 13, 1, 0}}), "Illegal format code in EXIF dir");
    failsWith(b.Build({{0x011A, 0, 1, 0}}), "Illegal format code in EXIF dir");
    failsWith(b.Build({{0x011A, 5, 1, 4000}}), "Illegal pointer offset value in EXIF.");
    // 2^29 doubles are 2^32 bytes: wrapped to 32 bits that would be 0 bytes, "inside".
    failsWith(b.Build({{0x011A, 12, 0x20000000, 8}}), "Illegal pointer offset value in EXIF.");
    failsWith(b.Build({{0x011A, 5, 1, 0xFFFFFFFC}}), "Illegal pointer offset value in EXIF.");
    failsWith(b.Build({{0x8769, 4, 1, 5000}}), "Illegal subdirectory link");
    failsWith(b.Build({{0xA005, 4, 1, 0xFFFFFFFF - 1}}), "Illegal subdirectory link");
}

TEST(ParseExif, DirectoryLoopsEnd) {
    ExifBuilder b(false);
    // IFD0 links to itself as its EXIF directory.
    ParseResult r = Parse(b.Build({{0x011A, 4, 1, 150}, {0x8769, 4, 1, 8}}));
    EXPECT_TRUE(r.ok);
    EXPECT_FLOAT_EQ(r.info.xResolution, 150);
}

TEST(ParseExif, DirectoryAtTheVeryEndIsTooSmall) {
    ExifBuilder b(false);
    std::vector<uint8_t> block = b.Build({{0x8769, 4, 1, 0}});
    const uint32_t end = static_cast<uint32_t>(block.size() - 6);
    block[6 + 10 + 8] = static_cast<uint8_t>(end - 1);  // link to the last byte
    ParseResult r = Parse(block);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Illegally sized directory");
}

// --- the marker scan ---------------------------------------------------------------------

class JpegBuilder {
public:
    JpegBuilder() { bytes = {0xFF, 0xD8}; }
    JpegBuilder& Section(uint8_t marker, const std::vector<uint8_t>& payload) {
        const size_t length = payload.size() + 2;
        bytes.insert(bytes.end(), {0xFF, marker, static_cast<uint8_t>(length >> 8),
                                   static_cast<uint8_t>(length)});
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        return *this;
    }
    std::vector<uint8_t> bytes;
};

struct ScanResult {
    bool ok;
    JpegSectionScan scan;
};

ScanResult Scan(const std::vector<uint8_t>& bytes) {
    MemoryImageStream stream(bytes);
    ScanResult r{};
    r.ok = ScanJpegSections(stream, r.scan);
    return r;
}

TEST(ScanJpegSections, KeepsSectionsUpToTheScanAndParsesExif) {
    ExifBuilder exif(false);
    JpegBuilder j;
    j.Section(0xE0, {'J', 'F', 'I', 'F', 0})
        .Section(0xE1, {'h', 't', 't', 'p'})
        .Section(0xE1, exif.Build(Resolution(exif, 300, 2)))
        .Section(0xFE, {'a'})
        .Section(0xFE, {'b'})
        .Section(0xDB, std::vector<uint8_t>(65, 0))
        .Section(0xC0, std::vector<uint8_t>(15, 1))
        .Section(0xDA, std::vector<uint8_t>(10, 2));
    ScanResult r = Scan(j.bytes);
    ASSERT_TRUE(r.ok) << r.scan.message;
    EXPECT_TRUE(r.scan.info.hasExif);
    EXPECT_FLOAT_EQ(r.scan.info.xResolution, 300);
    std::vector<uint8_t> markers;
    for (const JpegSection& s : r.scan.sections)
        markers.push_back(s.marker);
    EXPECT_EQ(markers, (std::vector<uint8_t>{0xE1, 0xFE, 0xDB, 0xC0, 0xDA}));
    EXPECT_EQ(r.scan.sections[1].data, (std::vector<uint8_t>{0, 3, 'a'}));
}

TEST(ScanJpegSections, TheLastExifBlockDecides) {
    ExifBuilder exif(false);
    std::vector<uint8_t> broken = exif.Build(Resolution(exif, 72, 2));
    broken[6] = 'X';
    JpegBuilder j;
    j.Section(0xE1, exif.Build(Resolution(exif, 72, 2))).Section(0xE1, broken).Section(0xDA, {});
    ScanResult r = Scan(j.bytes);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.scan.info.hasExif);
    EXPECT_EQ(r.scan.message, "Invalid Exif alignment marker.");
}

TEST(ScanJpegSections, GivesUpAfterTwentySections) {
    JpegBuilder exactly;
    for (int i = 0; i < 19; ++i)
        exactly.Section(0xE2, {1, 2, 3});
    exactly.Section(0xDA, {});
    EXPECT_TRUE(Scan(exactly.bytes).ok);

    JpegBuilder many;
    ExifBuilder exif(false);
    for (int i = 0; i < 20; ++i)
        many.Section(0xE2, {1, 2, 3});
    many.Section(0xE1, exif.Build(Resolution(exif, 72, 2))).Section(0xDA, {});
    ScanResult r = Scan(many.bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.scan.message, "Too many sections in jpg file");
    EXPECT_FALSE(r.scan.info.hasExif);
    EXPECT_EQ(r.scan.sections.size(), 20u);
}

TEST(ScanJpegSections, ReportsBrokenStructure) {
    EXPECT_FALSE(Scan({0xFF, 0xD9}).ok);
    EXPECT_FALSE(Scan({}).ok);

    std::vector<uint8_t> padded = {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDA, 0, 2};
    EXPECT_TRUE(Scan(padded).ok);  // six 0xFF bytes before the marker
    padded.insert(padded.begin() + 2, 0xFF);
    ScanResult r = Scan(padded);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.scan.message, "too many padding bytes\n");

    r = Scan({0xFF, 0xD8, 0xFF, 0xE2, 0, 1});
    EXPECT_EQ(r.scan.message, "invalid marker");
    r = Scan({0xFF, 0xD8, 0xFF, 0xE2, 0, 10, 1, 2});
    EXPECT_EQ(r.scan.message, "Premature end of file?");
    r = Scan({0xFF, 0xD8, 0xFF, 0xD9, 0, 2});
    EXPECT_EQ(r.scan.message, "No image in jpeg!\n");
    r = Scan({0xFF, 0xD8, 0xFF});
    EXPECT_FALSE(r.ok);
}

}  // namespace
}  // namespace lumivex
