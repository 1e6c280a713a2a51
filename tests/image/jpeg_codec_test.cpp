#include "image/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "tests/image/image_test_util.h"

namespace lumivex {
namespace {

using test::DataPath;

struct Decoded {
    bool ok;
    RgbImage image;
    std::string reason;
};

Decoded Decode(const std::vector<uint8_t>& bytes) {
    MemoryImageStream stream(bytes);
    JpegCodec codec;
    Decoded d;
    d.ok = codec.Decode(stream, d.image);
    d.reason = codec.FailureReason();
    return d;
}

std::vector<uint8_t> Fixture(const std::string& name) {
    return test::ReadBytes(DataPath("jpeg/" + name));
}

RgbImage Pattern(int32_t width, int32_t height) {
    RgbImage image(width, height, 24);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            image.WritePixelColour(
                x, y, MakeColour(static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 128));
        }
    }
    return image;
}

// Index of the first occurrence of marker (0xFF, code) at or after from; npos when none.
size_t FindMarker(const std::vector<uint8_t>& bytes, uint8_t code, size_t from = 2) {
    for (size_t i = from; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == code)
            return i;
    }
    return std::string::npos;
}

// Every fixture decodes as expected.csv says: outcome, size, depth, dpi, and pixels equal to
// libjpeg-turbo's djpeg (CMYK files: the channels scaled by the fourth).
TEST(JpegSuite, EveryFileGivesTheListedResult) {
    std::ifstream list(DataPath("jpeg/expected.csv"));
    ASSERT_TRUE(list.good());
    std::string line;
    std::getline(list, line);
    int files = 0;
    while (std::getline(list, line)) {
        const std::vector<std::string> f = test::SplitCsv(line);
        ASSERT_EQ(f.size(), 8u) << line;
        SCOPED_TRACE(f[0]);
        Decoded d = Decode(Fixture(f[0]));
        ++files;
        if (f[1] == "fail") {
            EXPECT_FALSE(d.ok);
            EXPECT_TRUE(d.image.IsEmpty());
            EXPECT_FALSE(d.reason.empty());
            continue;
        }
        ASSERT_TRUE(d.ok) << d.reason;
        EXPECT_EQ(d.image.Width(), std::stoi(f[2]));
        EXPECT_EQ(d.image.Height(), std::stoi(f[3]));
        EXPECT_EQ(d.image.BitsPerPixel(), std::stoi(f[4]));
        EXPECT_EQ(d.image.HorizontalDpi(), std::stoi(f[5]));
        EXPECT_EQ(d.image.VerticalDpi(), std::stoi(f[6]));
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016" PRIx64, test::Fnv1a64(test::TopDownRgb(d.image)));
        EXPECT_EQ(hash, f[7]) << "decoded pixels differ from the reference decoder";
    }
    EXPECT_GE(files, 80);
}

TEST(JpegDecode, GreyscaleFilesGetAGreyRampThatPromotesToTheSameGreys) {
    Decoded d = Decode(Fixture("m_grey.jpg"));
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.image.BitsPerPixel(), 8);
    ASSERT_EQ(d.image.PaletteEntryCount(), 256);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(d.image.PaletteEntry(i), static_cast<uint32_t>(i * 0x010101)) << i;
    }
    const std::vector<uint8_t> before = test::TopDownRgb(d.image);
    ASSERT_TRUE(d.image.PromoteDepth(24));
    EXPECT_EQ(test::TopDownRgb(d.image), before);
}

TEST(JpegDecode, AStreamThatEndsBeforeAnyDataFails) {
    Decoded d = Decode({});
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.reason, "Empty input file");
    d = Decode({0xFF, 0xD8});
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(d.image.IsEmpty());
}

TEST(JpegDecode, AFatalErrorAfterAllocationLeavesTheImageEmpty) {
    // A quantisation table with an impossible index between two scans of a progressive file:
    // the library stops with a fatal error after the picture has been allocated.
    std::vector<uint8_t> bytes = Fixture("m_progressive.jpg");
    const size_t firstScan = FindMarker(bytes, 0xDA);
    const size_t secondScan = FindMarker(bytes, 0xDA, firstScan + 2);
    ASSERT_NE(secondScan, std::string::npos);
    std::vector<uint8_t> bogus = {0xFF, 0xDB, 0x00, 0x43, 0x0F};
    bogus.resize(2 + 0x43, 1);
    bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(secondScan), bogus.begin(), bogus.end());
    Decoded d = Decode(bytes);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(d.image.IsEmpty());
    EXPECT_NE(d.reason.find("DQT"), std::string::npos) << d.reason;
}

TEST(JpegDecode, ReadsFromTheStreamPositionAndKeepsExifDpi) {
    std::vector<uint8_t> bytes(7, 0xAA);
    const std::vector<uint8_t> file = Fixture("m_exif_MM_28_cm.jpg");
    bytes.insert(bytes.end(), file.begin(), file.end());
    MemoryImageStream stream(bytes);
    ASSERT_TRUE(stream.Seek(7, SeekOrigin::kBegin));
    RgbImage image;
    ASSERT_TRUE(JpegCodec().Decode(stream, image));
    EXPECT_EQ(image.HorizontalDpi(), 71);
    EXPECT_EQ(image.Width(), 451);
}

TEST(JpegEncode, WritesAJfifFileAtQuality75WithThePictureDpi) {
    RgbImage image = Pattern(37, 21);  // odd sizes: the stride is not a multiple of 3
    image.SetHorizontalDpi(300);
    image.SetVerticalDpi(150);
    MemoryImageStream stream;
    ASSERT_TRUE(JpegCodec().Encode(stream, image));
    const std::vector<uint8_t>& bytes = stream.Data();
    ASSERT_GT(bytes.size(), 200u);
    // SOI, then the JFIF APP0 with unit 1 (dpi) and both densities.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 11),
              (std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0}));
    EXPECT_EQ(bytes[13], 1);
    EXPECT_EQ((bytes[14] << 8) | bytes[15], 300);
    EXPECT_EQ((bytes[16] << 8) | bytes[17], 150);
    // Quality 75 halves the standard tables: luminance DC 16 -> 8, chrominance 17 -> 9.
    const size_t dqt = FindMarker(bytes, 0xDB);
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(bytes[dqt + 4], 0x00);
    EXPECT_EQ(bytes[dqt + 5], 8);
    EXPECT_NE(FindMarker(bytes, 0xC0), std::string::npos);  // baseline frame

    Decoded back = Decode(bytes);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.image.Width(), 37);
    EXPECT_EQ(back.image.Height(), 21);
    EXPECT_EQ(back.image.HorizontalDpi(), 300);
    EXPECT_EQ(back.image.VerticalDpi(), 150);
    // Lossy, but close: the mean error per channel stays small and no channel is swapped.
    const std::vector<uint8_t> original = test::TopDownRgb(image);
    const std::vector<uint8_t> decoded = test::TopDownRgb(back.image);
    long total = 0;
    for (size_t i = 0; i < original.size(); ++i)
        total += std::abs(original[i] - decoded[i]);
    EXPECT_LT(static_cast<double>(total) / original.size(), 3.0);
}

TEST(JpegEncode, RefusesPaletteImagesAndReportsWriteFailures) {
    MemoryImageStream stream;
    JpegCodec codec;
    EXPECT_FALSE(codec.Encode(stream, RgbImage(8, 8, 8)));
    EXPECT_FALSE(codec.Encode(stream, RgbImage()));
    EXPECT_TRUE(stream.Data().empty());

    MemoryImageStream full;
    full.SetCapacity(5000);
    EXPECT_FALSE(codec.Encode(full, Pattern(300, 300)));
    EXPECT_EQ(codec.FailureReason(), "Output file write error --- out of disk space?");

    MemoryImageStream unflushable;
    unflushable.SetFlushFails(true);
    EXPECT_FALSE(codec.Encode(unflushable, Pattern(8, 8)));
}

TEST(JpegEncode, ClampsResolutionsTheDensityFieldCannotHold) {
    RgbImage image = Pattern(8, 8);
    image.SetHorizontalDpi(762000);
    image.SetVerticalDpi(-5);
    MemoryImageStream stream;
    ASSERT_TRUE(JpegCodec().Encode(stream, image));
    const std::vector<uint8_t>& bytes = stream.Data();
    EXPECT_EQ((bytes[14] << 8) | bytes[15], 65535);
    EXPECT_EQ((bytes[16] << 8) | bytes[17], 0);
}

}  // namespace
}  // namespace lumivex
