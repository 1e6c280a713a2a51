#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/png_codec.h"
#include "image/tiff_codec.h"
#include "tests/image/image_test_util.h"

namespace lumivex {
namespace {

struct FormatCase {
    std::string folder;  // fixtures under tests/data/image/<folder>
    std::unique_ptr<ImageCodec> (*make)();
    std::vector<uint8_t> signature;
};

std::vector<FormatCase> Formats() {
    std::vector<FormatCase> formats;
    formats.push_back({"png",
                       [] { return std::unique_ptr<ImageCodec>(new PngCodec); },
                       {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}});
    formats.push_back(
        {"tiff", [] { return std::unique_ptr<ImageCodec>(new TiffCodec); }, {'I', 'I', 42, 0}});
    return formats;
}

// Files written by ImageMagick and Pillow (8 and 16 bits, grey, palette, alpha, interlaced,
// tiled, LZW and deflate) decode to the exact pixels and resolution expected.csv lists; the
// truncated and corrupted ones fail with a reason.
TEST(PngTiffFiles, EveryFixtureGivesTheListedResult) {
    for (const FormatCase& format : Formats()) {
        SCOPED_TRACE(format.folder);
        const std::unique_ptr<ImageCodec> codec = format.make();
        EXPECT_GE(test::CheckExpectedList(format.folder, *codec), 13);
    }
}

// A written picture reads back with the same pixels and resolution, from a stream that does
// not start at position 0 too; odd widths exercise the row padding of the picture.
TEST(PngTiffFiles, WrittenPicturesReadBackIdentically) {
    for (const FormatCase& format : Formats()) {
        SCOPED_TRACE(format.folder);
        for (const int32_t width : {1, 13, 64}) {
            RgbImage image = test::Gradient(width, 9);
            image.SetHorizontalDpi(300);
            image.SetVerticalDpi(150);
            MemoryImageStream stream;
            stream.Write("prefix", 6);
            ASSERT_TRUE(format.make()->Encode(stream, image));
            const std::vector<uint8_t> bytes(stream.Data().begin() + 6, stream.Data().end());
            EXPECT_TRUE(
                std::equal(format.signature.begin(), format.signature.end(), bytes.begin()));
            ASSERT_TRUE(stream.Seek(6, SeekOrigin::kBegin));
            RgbImage back;
            const std::unique_ptr<ImageCodec> reader = format.make();
            ASSERT_TRUE(reader->Decode(stream, back)) << reader->FailureReason();
            EXPECT_EQ(back.Width(), width);
            EXPECT_EQ(back.Height(), 9);
            EXPECT_EQ(test::PixelHash(back), test::PixelHash(image));
            EXPECT_EQ(back.HorizontalDpi(), 300);
            EXPECT_EQ(back.VerticalDpi(), 150);
        }
    }
}

// Palette pictures, empty pictures and a stream that fills up are refused with a reason.
TEST(PngTiffFiles, WritingFailsWithAReason) {
    for (const FormatCase& format : Formats()) {
        SCOPED_TRACE(format.folder);
        const std::unique_ptr<ImageCodec> codec = format.make();
        MemoryImageStream stream;
        EXPECT_FALSE(codec->Encode(stream, RgbImage()));
        EXPECT_FALSE(codec->Encode(stream, RgbImage(4, 4, 8)));
        EXPECT_TRUE(stream.Data().empty());
        MemoryImageStream full;
        full.SetCapacity(40);
        EXPECT_FALSE(codec->Encode(full, test::Gradient(64, 64)));
        EXPECT_FALSE(codec->FailureReason().empty());
    }
}

// A header that claims more pixels than the picture limit (20000 x 20000) is refused before
// any allocation, with the reason the callers recognise as "too large".
TEST(PngTiffFiles, HugeHeadersAreRefusedAsTooLarge) {
    for (const FormatCase& format : Formats()) {
        SCOPED_TRACE(format.folder);
        const std::string name = format.folder == "png" ? "/huge_header.png" : "/huge_header.tif";
        const std::unique_ptr<ImageCodec> codec = format.make();
        const test::Decoded d =
            test::DecodeWith(*codec, test::ReadBytes(test::DataPath(format.folder + name)));
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.reason, "Picture too large for memory");
    }
}

}  // namespace
}  // namespace lumivex
