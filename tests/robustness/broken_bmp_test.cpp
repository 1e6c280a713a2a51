// The BMP reader on damaged and hostile files: every variant cut and flipped, headers claiming
// pictures far beyond the limit, palettes and offsets pointing past the file, run-length streams
// that overrun the picture.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "image/bmp_codec.h"
#include "image/image_stream.h"
#include "image/rgb_image.h"
#include "tests/robustness/allocation_meter.h"
#include "tests/robustness/bmp_builder.h"
#include "tests/robustness/damage.h"

namespace lumivex::robustness {
namespace {

struct Decoded {
    bool ok = false;
    std::string reason;
};

Decoded DecodeBmp(const Bytes& bytes, RgbImage& image) {
    MemoryImageStream stream(bytes);
    BmpCodec codec;
    Decoded result;
    result.ok = codec.Decode(stream, image);
    result.reason = codec.FailureReason();
    return result;
}

Bytes EncodeBmp(const RgbImage& image) {
    MemoryImageStream stream;
    BmpCodec codec;
    EXPECT_TRUE(codec.Encode(stream, image));
    return stream.Data();
}

Bytes PaintedBmp(int32_t width, int32_t height, int bits) {
    RgbImage image;
    EXPECT_TRUE(image.Allocate(width, height, bits));
    if (bits <= 8) {
        std::vector<uint8_t> ramp(256);
        for (int i = 0; i < 256; ++i)
            ramp[i] = static_cast<uint8_t>(i * 37);
        image.LoadPaletteChannels(256, ramp.data(), nullptr, nullptr);
    }
    const int colours = bits <= 8 ? 1 << bits : 256;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int v = (x * 7 + y * 13) % colours;
            if (bits <= 8)
                image.WritePixelIndex(x, y, v);
            else
                image.WritePixelColour(x, y,
                                       MakeColour(uint8_t(v), uint8_t(x * 5), uint8_t(y * 3)));
        }
    }
    return EncodeBmp(image);
}

Bytes RunLengthBmp(uint32_t compression, Bytes runs) {
    BmpFields fields;
    fields.width = 8;
    fields.height = 4;
    fields.bits = compression == 1 ? 8 : 4;
    fields.compression = compression;
    fields.paletteEntriesWritten = compression == 1 ? 256 : 16;
    fields.pixels = std::move(runs);
    return BuildBmp(fields);
}

// Small good files of every variant the reader handles.
std::vector<std::pair<std::string, Bytes>> GoodFiles() {
    std::vector<std::pair<std::string, Bytes>> files;
    files.emplace_back("24-bit", PaintedBmp(37, 23, 24));
    files.emplace_back("8-bit palette", PaintedBmp(19, 7, 8));
    files.emplace_back("4-bit palette", PaintedBmp(13, 5, 4));
    files.emplace_back("1-bit palette", PaintedBmp(33, 9, 1));
    files.emplace_back("RLE8",
                       RunLengthBmp(1, {3, 9, 0, 3, 1, 2, 3, 0, 0, 0, 2, 2, 1, 4, 5, 0, 0, 0, 1}));
    files.emplace_back(
        "RLE4", RunLengthBmp(2, {4, 0x9A, 0, 4, 0x12, 0x34, 0, 0, 0, 2, 1, 1, 8, 0x55, 0, 1}));
    BmpFields packed;
    packed.width = 5;
    packed.height = 3;
    packed.bits = 16;
    packed.compression = 3;
    packed.pixels = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};  // 5-6-5 masks
    for (int i = 0; i < 3 * 12; ++i)
        packed.pixels.push_back(static_cast<uint8_t>(i * 29));
    files.emplace_back("16-bit fields", BuildBmp(packed));
    packed.bits = 32;
    packed.compression = 0;
    packed.pixels.assign(5 * 3 * 4, 0x5A);
    files.emplace_back("32-bit", BuildBmp(packed));
    return files;
}

TEST(BrokenBmp, GoodFilesOfEveryVariantDecode) {
    for (const auto& [name, bytes] : GoodFiles()) {
        RgbImage image;
        const Decoded result = DecodeBmp(bytes, image);
        EXPECT_TRUE(result.ok) << name << ": " << result.reason;
        EXPECT_FALSE(image.IsEmpty()) << name;
    }
}

TEST(BrokenBmp, CutAndFlippedCopiesDecodeOrFailWithoutHarm) {
    int tried = 0;
    for (const auto& [name, good] : GoodFiles()) {
        for (const DamagedFile& damaged : AllDamage(good)) {
            RgbImage image;
            const Decoded result = DecodeBmp(damaged.bytes, image);
            ++tried;
            if (!result.ok) {
                EXPECT_TRUE(image.IsEmpty()) << name << ", " << damaged.what;
                EXPECT_FALSE(result.reason.empty()) << name << ", " << damaged.what;
                continue;
            }
            const int64_t pixelBytes =
                int64_t{image.Width()} * image.Height() * image.BitsPerPixel() / 8;
            EXPECT_LE(pixelBytes, kMaxPixelDataBytes) << name << ", " << damaged.what;
            fuzz::TouchPicture(image);
        }
    }
    RecordProperty("inputs", tried);
}

TEST(BrokenBmp, HeadersClaimingHugePicturesAreRefusedBeforeAnyAllocation) {
    struct Claim {
        int32_t width;
        int32_t height;
        uint16_t bits;
    };
    const Claim claims[] = {
        {65535, 65535, 24}, {65535, 65535, 8},
        {65535, 65535, 1},  {65536, 32768, 1},  // 2^31 pixels
        {INT32_MAX, 1, 24}, {1, INT32_MIN, 8},
        {46341, 46341, 32}, {INT32_MAX, INT32_MAX, 16},
    };
    for (const Claim& claim : claims) {
        BmpFields fields;
        fields.width = claim.width;
        fields.height = claim.height;
        fields.bits = claim.bits;
        fields.paletteEntriesWritten = claim.bits <= 8 ? 2 : 0;
        fields.pixels.assign(64, 0xAB);
        const Bytes bytes = BuildBmp(fields);
        RgbImage image;
        AllocationMeter meter;
        const Decoded result = DecodeBmp(bytes, image);
        EXPECT_FALSE(result.ok) << claim.width << " x " << claim.height;
        EXPECT_EQ(result.reason, "Can't allocate memory");
        if (AllocationMeter::Available()) {
            EXPECT_LT(meter.LargestBlock(), 1 << 20) << claim.width << " x " << claim.height;
        }
    }
}

TEST(BrokenBmp, PictureWithinTheLimitCostsNoMoreThanItsPixels) {
    // A tiny 32-bit file claiming 7000 x 7000: the picture is allocated (it is within the limit)
    // but the packed data is not copied whole beside it.
    BmpFields fields;
    fields.width = 7000;
    fields.height = 7000;
    fields.bits = 32;
    fields.pixels.assign(400, 0x77);
    const Bytes bytes = BuildBmp(fields);
    RgbImage image;
    AllocationMeter meter;
    ASSERT_TRUE(DecodeBmp(bytes, image).ok);
    const int64_t picture = int64_t{image.Stride()} * image.Height();
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(0x77, 0x77, 0x77));
    EXPECT_EQ(image.ReadPixelColour(6999, 6999), 0u);  // past the data: black
    if (AllocationMeter::Available()) {
        EXPECT_LT(meter.PeakBytes(), picture + (1 << 20));
    }
}

TEST(BrokenBmp, PalettesAndOffsetsBeyondTheFile) {
    std::vector<BmpFields> cases;
    BmpFields base;
    base.width = 6;
    base.height = 3;
    base.bits = 8;
    base.paletteEntriesWritten = 4;
    base.pixels.assign(24, 2);
    for (uint32_t used : {0xFFFFFFFFu, 0x80000000u, 1000u, 257u}) {
        cases.push_back(base);
        cases.back().coloursUsed = used;
    }
    for (uint32_t offset : {0xFFFFFFF0u, 0x7FFFFFFFu, 0x80000000u, 70000u, 1u}) {
        cases.push_back(base);
        cases.back().pixelOffset = offset;
    }
    for (const BmpFields& fields : cases) {
        RgbImage image;
        const Decoded result = DecodeBmp(BuildBmp(fields), image);
        if (result.ok) {
            EXPECT_LE(image.PaletteEntryCount(), 256);
            fuzz::TouchPicture(image);
        }
    }
    // An offset past the end still decodes, and leaves the picture black rather than reading
    // stale memory.
    BmpFields far = base;
    far.pixelOffset = 70000;
    RgbImage image;
    const Decoded farResult = DecodeBmp(BuildBmp(far), image);
    ASSERT_TRUE(farResult.ok) << farResult.reason;
    ASSERT_EQ(image.Width(), 6);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(image.ReadPixelIndex(x, y), 0) << x << "," << y;
}

TEST(BrokenBmp, RunLengthStreamsThatOverrunStayInsideThePicture) {
    RgbImage image;
    // A run of 255 pixels in an 8-pixel row fills the row and stops there.
    ASSERT_TRUE(DecodeBmp(RunLengthBmp(1, {255, 7, 0, 1}), image).ok);
    for (int32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(image.ReadPixelIndex(x, 0), 7) << x;
        EXPECT_EQ(image.ReadPixelIndex(x, 1), 0) << x;
    }
    // Deltas and row ends far past the picture write nothing.
    ASSERT_TRUE(
        DecodeBmp(RunLengthBmp(1, {0, 2, 250, 250, 3, 9, 0, 2, 255, 0, 5, 9, 0, 1}), image).ok);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(image.ReadPixelIndex(x, y), 0) << x << "," << y;
    Bytes manyRowEnds;
    for (int i = 0; i < 300; ++i)
        manyRowEnds.insert(manyRowEnds.end(), {0, 0});
    manyRowEnds.insert(manyRowEnds.end(), {8, 3});
    ASSERT_TRUE(DecodeBmp(RunLengthBmp(1, manyRowEnds), image).ok);
    EXPECT_EQ(image.ReadPixelIndex(0, 3), 0);
    // An absolute run longer than the data, in both variants, and streams without an end.
    for (const Bytes& file : {RunLengthBmp(1, {0, 200, 1, 2, 3}), RunLengthBmp(2, {0, 255, 0x12}),
                              RunLengthBmp(2, {255, 0x34, 255}), RunLengthBmp(1, {4})}) {
        ASSERT_TRUE(DecodeBmp(file, image).ok);
        fuzz::TouchPicture(image);
    }
    RgbImage absolute;
    ASSERT_TRUE(DecodeBmp(RunLengthBmp(1, {0, 200, 1, 2, 3}), absolute).ok);
    EXPECT_EQ(absolute.ReadPixelIndex(0, 0), 1);
    EXPECT_EQ(absolute.ReadPixelIndex(2, 0), 3);
    EXPECT_EQ(absolute.ReadPixelIndex(3, 0), 0);
}

TEST(BrokenBmp, RunLengthIndexesBeyondASmallPaletteAreKeptInRange) {
    BmpFields fields;
    fields.width = 8;
    fields.height = 2;
    fields.bits = 1;
    fields.compression = 1;  // 8-bit runs declared on a 1-bit picture
    fields.paletteEntriesWritten = 2;
    fields.pixels = {8, 255, 0, 1};
    RgbImage image;
    const Decoded result = DecodeBmp(BuildBmp(fields), image);
    ASSERT_TRUE(result.ok) << result.reason;
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(image.ReadPixelIndex(x, 0), 1) << x;  // the low bit of 255
}

}  // namespace
}  // namespace lumivex::robustness
