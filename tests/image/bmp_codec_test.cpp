#include "image/bmp_codec.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "image/byte_order.h"
#include "image/image_stream.h"
#include "tests/image/image_test_util.h"

namespace lumivex {
namespace {

using test::ByteBuilder;
using test::DataPath;

// A bitmap file built field by field; defaults give a valid 40-byte-header file.
struct BmpFile {
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t colours = 0;
    int32_t pixelsPerMetre = 2835;
    bool fileHeader = true;
    int64_t offset = -1;         // pixel-data offset; -1: right after header and extra
    std::vector<uint8_t> extra;  // masks and palette
    std::vector<uint8_t> pixels;

    std::vector<uint8_t> Build() const {
        ByteBuilder b;
        const uint32_t headerBytes = (fileHeader ? 14 : 0) + 40;
        const uint32_t dataStart = headerBytes + static_cast<uint32_t>(extra.size());
        if (fileHeader) {
            b.U8('B').U8('M').U32(dataStart + static_cast<uint32_t>(pixels.size())).U32(0);
            b.U32(offset < 0 ? dataStart : static_cast<uint32_t>(offset));
        }
        const int64_t stride = (static_cast<int64_t>(width) * bits + 31) / 32 * 4;
        b.U32(40).U32(static_cast<uint32_t>(width)).U32(static_cast<uint32_t>(height));
        b.U16(1).U16(bits).U32(compression);
        b.U32(static_cast<uint32_t>(stride * (height < 0 ? -int64_t{height} : height)));
        b.U32(static_cast<uint32_t>(pixelsPerMetre)).U32(static_cast<uint32_t>(pixelsPerMetre));
        b.U32(colours).U32(0);
        return b.Bytes(extra).Bytes(pixels).bytes;
    }
};

using test::Decoded;

Decoded Decode(const std::vector<uint8_t>& bytes) {
    BmpCodec codec;
    return test::DecodeWith(codec, bytes);
}

std::vector<uint8_t> Encode(const RgbImage& image) {
    MemoryImageStream stream;
    BmpCodec codec;
    EXPECT_TRUE(codec.Encode(stream, image));
    return stream.Data();
}

std::vector<uint8_t> Packed16(std::initializer_list<uint16_t> values) {
    ByteBuilder b;
    for (uint16_t v : values)
        b.U16(v);
    return b.bytes;
}

// Every file of the external suite decodes as listed in expected.csv: outcome, size, depth,
// resolution and the hash of the R,G,B bytes of the expected picture.
TEST(BmpSuite, EveryFileGivesTheListedResult) {
    BmpCodec codec;
    EXPECT_GE(test::CheckExpectedList("bmp", codec), 90);
}

// Later headers the plain reading refuses are read by their masks: ImageMagick's 32-bit V5
// files (alpha composited on white) read exactly; files that wrap a JPEG or PNG picture are
// refused with a reason that says so.
TEST(BmpDecode, ReadsLaterHeadersByTheirMasks) {
    BmpCodec codec;
    EXPECT_EQ(test::CheckExpectedList("bmp_v5", codec), 2);
    const struct {
        const char* file;
        const char* reason;
    } refused[] = {
        {"bmp/q/rgb24jpeg.bmp", "BMP files holding a JPEG picture are not supported"},
        {"bmp/q/rgb24png.bmp", "BMP files holding a PNG picture are not supported"},
        {"bmp/x/ba-bm.bmp", "Error reading BMP info"},
    };
    for (const auto& r : refused) {
        const Decoded d = Decode(test::ReadBytes(DataPath(r.file)));
        EXPECT_FALSE(d.ok) << r.file;
        EXPECT_EQ(d.reason, r.reason);
    }
}

TEST(BmpDecode, ReadsABareInformationBlockAndOffsetsFromTheStreamStart) {
    const std::vector<uint8_t> file = test::ReadBytes(DataPath("bmp/g/pal8.bmp"));
    ASSERT_GT(file.size(), 14u);
    Decoded reference = Decode(file);
    ASSERT_TRUE(reference.ok);
    const std::vector<uint8_t> expected = test::TopDownRgb(reference.image);

    Decoded bare = Decode(std::vector<uint8_t>(file.begin() + 14, file.end()));
    ASSERT_TRUE(bare.ok) << bare.reason;
    EXPECT_EQ(test::TopDownRgb(bare.image), expected);

    // The same file after 5 unrelated bytes: offsets count from where the bitmap starts.
    std::vector<uint8_t> shifted(5, 0xEE);
    shifted.insert(shifted.end(), file.begin(), file.end());
    MemoryImageStream stream(shifted);
    ASSERT_TRUE(stream.Seek(5, SeekOrigin::kBegin));
    RgbImage image;
    ASSERT_TRUE(BmpCodec().Decode(stream, image));
    EXPECT_EQ(test::TopDownRgb(image), expected);
}

TEST(BmpDecode, RefusesCompressionA24BitFileCannotHave) {
    BmpFile f;
    f.compression = 3;
    f.extra = ByteBuilder().U32(0xFF0000).U32(0xFF00).U32(0xFF).bytes;
    f.pixels.assign(16, 0x40);
    Decoded d = Decode(f.Build());
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.reason, "unknown compression");
    EXPECT_TRUE(d.image.IsEmpty());
}

TEST(BmpDecode, Reads16BitPixelsAs555UnlessMasksSayOtherwise) {
    BmpFile f;
    f.width = 2;
    f.height = 1;
    f.bits = 16;
    f.pixels = Packed16({0x7C00, 0x03E0});
    Decoded d = Decode(f.Build());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.BitsPerPixel(), 24);
    EXPECT_EQ(d.image.ReadPixelColour(0, 0), MakeColour(248, 0, 0));
    EXPECT_EQ(d.image.ReadPixelColour(1, 0), MakeColour(0, 248, 0));

    f.compression = 3;
    f.extra = ByteBuilder().U32(0xF800).U32(0x07E0).U32(0x001F).bytes;
    f.pixels = Packed16({0xF800, 0x07E0});
    d = Decode(f.Build());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.ReadPixelColour(0, 0), MakeColour(248, 0, 0));
    EXPECT_EQ(d.image.ReadPixelColour(1, 0), MakeColour(0, 252, 0));
}

TEST(BmpDecode, MasksWithoutBitsOrWithTooManyBitsDecodeSafely) {
    BmpFile f;
    f.width = 1;
    f.height = 1;
    f.bits = 16;
    f.compression = 3;
    f.pixels = Packed16({0xFFFF, 0});
    for (const auto& masks : std::vector<std::vector<uint32_t>>{
             {0, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFFFFFF, 0, 1}, {0x8000, 0x1, 0x7FFE}}) {
        f.extra = ByteBuilder().U32(masks[0]).U32(masks[1]).U32(masks[2]).bytes;
        Decoded d = Decode(f.Build());
        EXPECT_TRUE(d.ok);
    }
    f.extra = ByteBuilder().U32(0).U32(0).U32(0).bytes;
    EXPECT_EQ(Decode(f.Build()).image.ReadPixelColour(0, 0), MakeColour(0, 0, 0));
}

TEST(BmpDecode, Takes32BitBytesAsBlueGreenRedWhateverTheMasks) {
    BmpFile f;
    f.width = 1;
    f.height = 1;
    f.bits = 32;
    f.compression = 3;
    f.extra = ByteBuilder().U32(0xFF).U32(0xFF00).U32(0xFF0000).bytes;  // claims R,G,B order
    f.pixels = {10, 20, 30, 40};
    Decoded d = Decode(f.Build());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.ReadPixelColour(0, 0), MakeColour(30, 20, 10));
}

TEST(BmpDecode, TopDownRowsComeOutUpright) {
    BmpFile f;
    f.width = 1;
    f.height = -3;
    f.pixels = {1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0};  // top row first
    Decoded d = Decode(f.Build());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.Height(), 3);
    EXPECT_EQ(d.image.ReadPixelColour(0, 2), MakeColour(1, 1, 1));
    EXPECT_EQ(d.image.ReadPixelColour(0, 0), MakeColour(3, 3, 3));
}

TEST(BmpDecode, RunLengthOverrunsStayInsideThePicture) {
    BmpFile f;
    f.width = 4;
    f.height = 2;
    f.bits = 8;
    f.compression = 1;
    f.colours = 16;
    f.extra.assign(16 * 4, 0);
    f.pixels = ByteBuilder()
                   .U8(255)
                   .U8(7)  // run past the end of row 0
                   .U8(0)
                   .U8(0)  // end of row
                   .U8(2)
                   .U8(9)  // row 1: two pixels
                   .U8(0)
                   .U8(5)
                   .Fill(5, 3)
                   .U8(0)  // absolute run of 5 beyond the row, padded
                   .U8(0)
                   .U8(2)
                   .U8(250)
                   .U8(250)  // delta far outside
                   .U8(200)
                   .U8(4)  // dropped
                   .U8(0)
                   .U8(1)
                   .bytes;
    Decoded d = Decode(f.Build());
    ASSERT_TRUE(d.ok);
    for (int32_t x = 0; x < 4; ++x)
        EXPECT_EQ(d.image.ReadPixelIndex(x, 0), 7) << x;
    EXPECT_EQ(d.image.ReadPixelIndex(1, 1), 9);
    EXPECT_EQ(d.image.ReadPixelIndex(2, 1), 3);
    EXPECT_EQ(d.image.ReadPixelIndex(3, 1), 3);
}

TEST(BmpDecode, RunLength4AlternatesNibblesAndDropsOverruns) {
    BmpFile f;
    f.width = 5;
    f.height = 1;
    f.bits = 4;
    f.compression = 2;
    f.colours = 16;
    f.extra.assign(16 * 4, 0);
    f.pixels = ByteBuilder().U8(3).U8(0x12).U8(0).U8(3).U8(0x45).U8(0x60).U8(9).U8(0xAB).bytes;
    Decoded d = Decode(f.Build());  // no end-of-bitmap: the data just ends
    ASSERT_TRUE(d.ok);
    const int expected[5] = {1, 2, 1, 4, 5};
    for (int32_t x = 0; x < 5; ++x)
        EXPECT_EQ(d.image.ReadPixelIndex(x, 0), expected[x]) << x;
}

TEST(BmpDecode, HostileHeadersFailOrDecodeSafely) {
    struct Case {
        const char* what;
        BmpFile file;
        bool decodes;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, bool decodes, auto change) {
        BmpFile f;
        f.pixels.assign(16, 0x55);
        change(f);
        cases.push_back({what, f, decodes});
    };
    add("most negative height", false,
        [](BmpFile& f) { f.height = std::numeric_limits<int32_t>::min(); });
    add("negative width", false, [](BmpFile& f) { f.width = -2; });
    add("zero height", false, [](BmpFile& f) { f.height = 0; });
    add("huge both", false, [](BmpFile& f) { f.width = f.height = 0x7FFFFFFF; });
    add("depth 2", false, [](BmpFile& f) { f.bits = 2; });
    add("depth 0", false, [](BmpFile& f) { f.bits = 0; });
    add("offset beyond the file", true, [](BmpFile& f) { f.offset = 0xFFFFFFF0; });
    add("palette count 2^32-1", true, [](BmpFile& f) {
        f.bits = 8;
        f.colours = 0xFFFFFFFF;
    });
    add("bare block, palette count 2^32-1", true, [](BmpFile& f) {
        f.bits = 4;
        f.colours = 0xFFFFFFFF;
        f.fileHeader = false;
    });
    add("bare block, 24 bits with a palette count", true, [](BmpFile& f) {
        f.colours = 0x7FFFFFFF;
        f.fileHeader = false;
    });
    add("run length on a 1-bit picture", true, [](BmpFile& f) {
        f.bits = 1;
        f.compression = 1;
    });
    add("unknown compression for 8 bits", false, [](BmpFile& f) {
        f.bits = 8;
        f.compression = 7;
    });
    for (const Case& c : cases) {
        Decoded d = Decode(c.file.Build());
        EXPECT_EQ(d.ok, c.decodes) << c.what << ": " << d.reason;
        EXPECT_EQ(d.image.IsEmpty(), !c.decodes) << c.what;
    }
    // Header sizes that are not one of the known variants.
    for (uint32_t size : {0u, 11u, 13u, 16u, 39u}) {
        std::vector<uint8_t> bytes = BmpFile().Build();
        StoreLe32(bytes.data() + 14, size);
        EXPECT_FALSE(Decode(bytes).ok) << size;
    }
    // A later-version header claiming 4 GB passes its checks and is skipped; the pixels are still
    // found where the file header's offset puts them.
    BmpFile plain;
    plain.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    std::vector<uint8_t> huge = plain.Build();
    StoreLe32(huge.data() + 14, 0xFFFFFFFFu);
    const Decoded skipped = Decode(huge);
    ASSERT_TRUE(skipped.ok) << skipped.reason;
    EXPECT_EQ(test::TopDownRgb(skipped.image), test::TopDownRgb(Decode(plain.Build()).image));
    EXPECT_EQ(Decode({}).reason, "Not a BMP");
    EXPECT_EQ(Decode(std::vector<uint8_t>(20, 0)).reason, "Error reading BMP info");
}

TEST(BmpDecode, ShortFilesLeaveTheMissingRowsBlack) {
    BmpFile f;
    f.width = 1;
    f.height = 3;
    f.pixels = {9, 9, 9, 0};  // only the bottom row
    Decoded d = Decode(f.Build());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.ReadPixelColour(0, 0), MakeColour(9, 9, 9));
    EXPECT_EQ(d.image.ReadPixelColour(0, 2), MakeColour(0, 0, 0));
}

TEST(BmpEncode, Writes24BitFilesThatReadBackIdentically) {
    RgbImage image(640, 480, 24);
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 640; ++x) {
            image.WritePixelColour(x, y,
                                   MakeColour(static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                              static_cast<uint8_t>(x ^ y)));
        }
    }
    const std::vector<uint8_t> bytes = Encode(image);
    ASSERT_EQ(bytes.size(), 921654u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(LoadLe32(bytes.data() + 2), 921654u);
    EXPECT_EQ(LoadLe32(bytes.data() + 10), 54u);
    Decoded back = Decode(bytes);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(test::TopDownRgb(back.image), test::TopDownRgb(image));
}

TEST(BmpEncode, KeepsTheResolutionOfTheFileRead) {
    BmpFile f;
    f.pixelsPerMetre = 3780;
    f.pixels.assign(16, 1);
    Decoded d = Decode(f.Build());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.HorizontalDpi(), 96);
    const std::vector<uint8_t> bytes = Encode(d.image);
    EXPECT_EQ(LoadLe32(bytes.data() + 38), 3780u);
    EXPECT_EQ(LoadLe32(bytes.data() + 42), 3780u);
}

TEST(BmpEncode, ReportsEmptyPicturesAndShortWrites) {
    MemoryImageStream stream;
    EXPECT_FALSE(BmpCodec().Encode(stream, RgbImage()));
    EXPECT_TRUE(stream.Data().empty());
    MemoryImageStream full;
    full.SetCapacity(100);
    EXPECT_FALSE(BmpCodec().Encode(full, RgbImage(20, 20, 24)));
}

}  // namespace
}  // namespace lumivex
