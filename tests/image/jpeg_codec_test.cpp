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

using test::Decoded;

Decoded Decode(const std::vector<uint8_t>& bytes) {
    JpegCodec codec;
    return test::DecodeWith(codec, bytes);
}

std::vector<uint8_t> Fixture(const std::string& name) {
    return test::ReadBytes(DataPath("jpeg/" + name));
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
    JpegCodec codec;
    EXPECT_GE(test::CheckExpectedList("jpeg", codec), 80);
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
    RgbImage image = test::Gradient(37, 21);  // odd sizes: the stride is not a multiple of 3
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
    EXPECT_FALSE(codec.Encode(full, test::Gradient(300, 300)));
    EXPECT_EQ(codec.FailureReason(), "Output file write error --- out of disk space?");

    MemoryImageStream unflushable;
    unflushable.SetFlushFails(true);
    EXPECT_FALSE(codec.Encode(unflushable, test::Gradient(8, 8)));
}

TEST(JpegEncode, ClampsResolutionsTheDensityFieldCannotHold) {
    RgbImage image = test::Gradient(8, 8);
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
