#include "image/rgb_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "image/byte_order.h"

namespace lumivex {
namespace {

// Fills a 24-bit image so that every pixel tells where it is: blue = x, green = stored row.
void FillWithCoordinates(RgbImage& image) {
    for (int32_t y = 0; y < image.Height(); ++y) {
        for (int32_t x = 0; x < image.Width(); ++x) {
            image.WritePixelColour(x, y,
                                   MakeColour(7, static_cast<uint8_t>(y), static_cast<uint8_t>(x)));
        }
    }
}

TEST(RgbImageAllocate, LaysOutTheBlockLikeABitmapInformationHeader) {
    RgbImage image;
    ASSERT_TRUE(image.Allocate(641, 480, 24));
    EXPECT_EQ(image.Stride(), 1924);
    EXPECT_EQ(image.DibByteCount(), 923560);
    const uint8_t* h = image.Block();
    EXPECT_EQ(LoadLe32(h + 0), 40u);
    EXPECT_EQ(LoadLeInt32(h + 4), 641);
    EXPECT_EQ(LoadLeInt32(h + 8), 480);
    EXPECT_EQ(LoadLe16(h + 12), 1);
    EXPECT_EQ(LoadLe16(h + 14), 24);
    EXPECT_EQ(LoadLe32(h + 16), 0u);
    EXPECT_EQ(LoadLe32(h + 20), 923520u);
    EXPECT_EQ(LoadLe32(h + 24), 3780u);
    EXPECT_EQ(LoadLe32(h + 28), 3780u);
    EXPECT_EQ(LoadLe32(h + 32), 0u);
    EXPECT_EQ(LoadLe32(h + 36), 0u);
    EXPECT_EQ(image.Bits(), h + 40);
    EXPECT_EQ(image.Palette(), nullptr);
    EXPECT_EQ(image.HorizontalDpi(), 96);
    EXPECT_EQ(image.VerticalDpi(), 96);
}

TEST(RgbImageAllocate, NormalisesTheDepthAndSizesThePalette) {
    struct Case {
        int requested, depth, entries;
    };
    for (const Case c : {Case{0, 1, 2}, Case{1, 1, 2}, Case{2, 4, 16}, Case{4, 4, 16},
                         Case{8, 8, 256}, Case{16, 24, 0}, Case{32, 24, 0}}) {
        RgbImage image(10, 3, c.requested);
        ASSERT_FALSE(image.IsEmpty()) << c.requested;
        EXPECT_EQ(image.BitsPerPixel(), c.depth) << c.requested;
        EXPECT_EQ(image.PaletteEntryCount(), c.entries) << c.requested;
        EXPECT_EQ(image.Bits(), image.Block() + 40 + c.entries * 4);
        for (int i = 0; i < c.entries; ++i)
            EXPECT_EQ(image.PaletteEntry(i), 0u);
    }
    // Row padding starts out zero (decoders write pixels only, and a saved bitmap holds it),
    // even in memory that held other bytes.
    for (const Case c : {Case{1, 1, 2}, Case{4, 4, 16}, Case{8, 8, 256}, Case{24, 24, 0}}) {
        for (const int32_t width : {1, 2, 3, 7}) {
            RgbImage image(width, 5, c.depth);
            std::memset(image.Bits(), 0xA5, static_cast<size_t>(image.Stride()) * 5);
            ASSERT_TRUE(image.Allocate(width, 5, c.depth));  // the freed block comes back
            const int32_t used = (width * c.depth + 7) / 8;
            for (int32_t y = 0; y < 5; ++y) {
                for (int32_t x = used; x < image.Stride(); ++x)
                    EXPECT_EQ(image.Row(y)[x], 0) << c.depth << " bits, " << width << " wide";
            }
        }
    }
    EXPECT_EQ(RgbImage(10, 3, 1).Stride(), 4);
    EXPECT_EQ(RgbImage(33, 3, 1).Stride(), 8);
    EXPECT_EQ(RgbImage(9, 3, 4).Stride(), 8);
}

TEST(RgbImageAllocate, EnforcesThePixelDataLimitWithoutWrapAround) {
    RgbImage image;
    EXPECT_TRUE(image.Allocate(16000, 16000, 8));  // exactly 256,000,000 bytes
    EXPECT_FALSE(image.Allocate(16001, 16000, 8));
    EXPECT_TRUE(image.IsEmpty());
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    EXPECT_FALSE(image.Allocate(kMax, kMax, 24));
    EXPECT_FALSE(image.Allocate(65536, 65536, 24));  // 2^32 pixels: wraps in 32 bits
    // Within the limit before padding, but 4 bytes per 1-pixel row exceed any 32-bit size.
    EXPECT_FALSE(image.Allocate(1, 2'000'000'000, 1));
}

TEST(RgbImageAllocate, RefusesNonPositiveSizes) {
    RgbImage image(4, 4, 24);
    EXPECT_FALSE(image.Allocate(0, 10, 24));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_FALSE(image.Allocate(10, 0, 24));
    EXPECT_FALSE(image.Allocate(-5, 10, 8));
    EXPECT_FALSE(image.Allocate(10, std::numeric_limits<int32_t>::min(), 8));
    EXPECT_EQ(image.DibByteCount(), 0);
}

TEST(RgbImageOwnership, TakeFromMovesTheBlockAndLeavesTheSourceEmpty) {
    RgbImage source(8, 2, 24);
    source.SetHorizontalDpi(300);
    source.SetVerticalDpi(150);
    const uint8_t* block = source.Block();
    RgbImage target(2, 2, 8);
    target.TakeFrom(source);
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_EQ(source.Stride(), 0);
    EXPECT_EQ(source.HorizontalDpi(), 0);
    EXPECT_EQ(target.Block(), block);
    EXPECT_EQ(target.HorizontalDpi(), 300);
    EXPECT_EQ(target.VerticalDpi(), 150);

    RgbImage moved(std::move(target));
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_EQ(moved.Block(), block);
}

TEST(RgbImageOwnership, CopyFromCopiesHeaderPaletteAndPixels) {
    RgbImage source(5, 3, 8);
    ASSERT_TRUE(source.SetPaletteEntryCount(20));
    const uint8_t grey[3] = {10, 20, 30};
    source.LoadPaletteChannels(3, grey, nullptr, nullptr);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x)
            source.WritePixelIndex(x, y, (x + y) % 3);
    }
    source.SetVerticalDpi(72);
    RgbImage copy;
    copy.CopyFrom(source);
    ASSERT_EQ(copy.DibByteCount(), source.DibByteCount());
    EXPECT_EQ(copy.PaletteEntryCount(), 20);
    EXPECT_EQ(copy.VerticalDpi(), 72);
    EXPECT_EQ(copy.HorizontalDpi(), 96);
    EXPECT_EQ(copy.Bits(), copy.Block() + 40 + 80);
    EXPECT_EQ(std::vector<uint8_t>(copy.Block(), copy.Block() + copy.DibByteCount()),
              std::vector<uint8_t>(source.Block(), source.Block() + source.DibByteCount()));
}

TEST(RgbImageDpi, StoresPixelsPerMetreRounded) {
    RgbImage image(2, 2, 24);
    image.SetHorizontalDpi(72);
    image.SetVerticalDpi(300);
    EXPECT_EQ(LoadLe32(image.Block() + 24), 2835u);
    EXPECT_EQ(LoadLe32(image.Block() + 28), 11811u);
    image.SetHorizontalDpi(std::numeric_limits<int32_t>::max());  // clamped, no overflow
    EXPECT_EQ(LoadLeInt32(image.Block() + 24), std::numeric_limits<int32_t>::max());

    RgbImage empty;
    empty.SetHorizontalDpi(200);
    EXPECT_EQ(empty.HorizontalDpi(), 200);
}

TEST(RgbImagePalette, LoadsChannelsAndEntriesWithinThePalette) {
    RgbImage image(4, 4, 4);
    uint8_t red[16], green[16], blue[16];
    for (int i = 0; i < 16; ++i) {
        red[i] = static_cast<uint8_t>(i);
        green[i] = static_cast<uint8_t>(100 + i);
        blue[i] = static_cast<uint8_t>(200 + i);
    }
    image.LoadPaletteChannels(300, red, green, blue);      // count clipped to 16
    EXPECT_EQ(image.PaletteEntry(15), 0x0F73D7u);          // red 15, green 115, blue 215
    image.LoadPaletteChannels(16, red, nullptr, nullptr);  // grey ramp
    EXPECT_EQ(image.PaletteEntry(3), 0x030303u);
    image.LoadPaletteChannels(16, red, green, nullptr);  // blue taken from green
    EXPECT_EQ(image.PaletteEntry(2), 0x026666u);
    EXPECT_EQ(image.PaletteEntry(16), 0u);
    EXPECT_EQ(image.PaletteEntry(-1), 0u);

    std::vector<uint8_t> entries(1024, 0xAB);
    image.LoadPaletteEntries(entries.data(), 256);  // only 64 bytes fit
    EXPECT_EQ(image.PaletteEntry(15), 0xABABABABu);
    EXPECT_EQ(image.Bits(), image.Block() + 40 + 64);
}

TEST(RgbImagePalette, NearestIndexPrefersTheEarlierEntryOnTies) {
    RgbImage image(1, 1, 8);
    const uint8_t red[4] = {0, 10, 30, 50};
    const uint8_t zero[4] = {0, 0, 0, 0};
    image.LoadPaletteChannels(4, red, zero, zero);
    EXPECT_EQ(image.NearestPaletteIndex(MakeColour(30, 0, 0)), 2);
    EXPECT_EQ(image.NearestPaletteIndex(MakeColour(20, 0, 0)), 1);  // tie between 1 and 2
    EXPECT_EQ(image.NearestPaletteIndex(MakeColour(255, 0, 0)), 3);
    EXPECT_EQ(image.NearestPaletteIndex(MakeColour(0, 0, 0)), 0);
    // Entries 4..255 are black too; the first black entry wins.
    EXPECT_EQ(image.NearestPaletteIndex(MakeColour(1, 1, 1)), 0);
    EXPECT_EQ(RgbImage(1, 1, 24).NearestPaletteIndex(MakeColour(9, 9, 9)), 0);
}

TEST(RgbImagePixels, OutsideCoordinatesReadTheBottomLeftPixel) {
    RgbImage image(4, 6, 24);
    FillWithCoordinates(image);
    const Colour origin = image.ReadPixelColour(0, 0);
    EXPECT_EQ(image.ReadPixelColour(-1, 5), origin);
    EXPECT_EQ(image.ReadPixelColour(3, 6), origin);
    EXPECT_EQ(image.ReadPixelColour(3, 5), MakeColour(7, 5, 3));
    EXPECT_EQ(image.Row(5)[9], 3);                      // blue byte first in the row
    image.WritePixelColour(4, 0, MakeColour(1, 2, 3));  // ignored
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(7, 0, 0));
}

TEST(RgbImagePixels, IndexWritesLeaveNeighboursInTheSameByte) {
    RgbImage one(10, 2, 1);
    std::memset(one.Bits(), 0, 8);
    one.WritePixelIndex(0, 1, 1);
    one.WritePixelIndex(3, 1, 3);  // only bit 0 counts
    one.WritePixelIndex(9, 1, 1);
    EXPECT_EQ(one.Row(1)[0] & 0xF0, 0x90);
    EXPECT_EQ(one.Row(1)[1] & 0xC0, 0x40);
    one.WritePixelIndex(3, 1, 0);
    EXPECT_EQ(one.ReadPixelIndex(3, 1), 0);
    EXPECT_EQ(one.ReadPixelIndex(0, 1), 1);

    RgbImage four(3, 1, 4);
    four.Row(0)[0] = 0;
    four.Row(0)[1] = 0;
    four.WritePixelIndex(0, 0, 0x1A);
    four.WritePixelIndex(1, 0, 5);
    four.WritePixelIndex(2, 0, 0xF);
    EXPECT_EQ(four.Row(0)[0], 0xA5);
    EXPECT_EQ(four.Row(0)[1], 0xF0);
    EXPECT_EQ(four.ReadPixelIndex(1, 0), 5);
    EXPECT_EQ(four.ReadPixelIndex(7, 0), 0xA5);  // outside: the first pixel byte

    RgbImage eight(2, 2, 8);
    eight.WritePixelIndex(1, 1, 200);
    EXPECT_EQ(eight.ReadPixelIndex(1, 1), 200);
    EXPECT_EQ(RgbImage(2, 2, 24).ReadPixelIndex(0, 0), 0);
}

TEST(RgbImagePixels, PaletteImagesReadAndWriteColoursThroughThePalette) {
    RgbImage image(2, 1, 8);
    const uint8_t red[2] = {200, 0}, green[2] = {0, 0}, blue[2] = {0, 150};
    image.LoadPaletteChannels(2, red, green, blue);
    image.WritePixelColour(0, 0, MakeColour(190, 10, 0));
    image.WritePixelColour(1, 0, MakeColour(0, 0, 140));
    EXPECT_EQ(image.ReadPixelIndex(0, 0), 0);
    EXPECT_EQ(image.ReadPixelIndex(1, 0), 1);
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(200, 0, 0));
    EXPECT_EQ(image.ReadPixelColour(1, 0), MakeColour(0, 0, 150));
}

TEST(RgbImagePromote, KeepsColoursAndRefusesLowerDepths) {
    RgbImage image(5, 2, 4);
    const uint8_t red[3] = {255, 0, 10}, green[3] = {0, 255, 20}, blue[3] = {0, 0, 30};
    image.LoadPaletteChannels(3, red, green, blue);
    for (int32_t x = 0; x < 5; ++x) {
        image.WritePixelIndex(x, 0, x % 3);
        image.WritePixelIndex(x, 1, 2);
    }
    image.SetHorizontalDpi(72);
    EXPECT_FALSE(image.PromoteDepth(16));
    ASSERT_TRUE(image.PromoteDepth(8));
    EXPECT_EQ(image.BitsPerPixel(), 8);
    EXPECT_EQ(image.PaletteEntry(1), 0x00FF00u);
    ASSERT_TRUE(image.PromoteDepth(24));
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.Palette(), nullptr);
    EXPECT_EQ(image.ReadPixelColour(1, 0), MakeColour(0, 255, 0));
    EXPECT_EQ(image.ReadPixelColour(4, 1), MakeColour(10, 20, 30));
    EXPECT_EQ(image.HorizontalDpi(), 96);  // a new picture, as built by Allocate
    const uint8_t* block = image.Block();
    EXPECT_TRUE(image.PromoteDepth(24));
    EXPECT_EQ(image.Block(), block);
    EXPECT_FALSE(image.PromoteDepth(8));
    EXPECT_FALSE(RgbImage().PromoteDepth(24));
}

struct CropCase {
    int anchor;
    int32_t dx, dy;
};

class CropAnchorTest : public testing::TestWithParam<CropCase> {};

TEST_P(CropAnchorTest, KeepsThePartTheAnchorNames) {
    const CropCase c = GetParam();
    RgbImage image(11, 9, 24);  // crop to 6 x 4: dw = 5, dh = 5
    FillWithCoordinates(image);
    RgbImage out;
    int32_t status = 0;
    ASSERT_TRUE(CropToSize(&status, image, 6, 4, c.anchor, &out));
    EXPECT_EQ(status, -100);
    EXPECT_EQ(image.Width(), 11);  // the source stays when a destination is given
    ASSERT_EQ(out.Width(), 6);
    ASSERT_EQ(out.Height(), 4);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x) {
            EXPECT_EQ(out.ReadPixelColour(x, y),
                      MakeColour(7, static_cast<uint8_t>(y + c.dy), static_cast<uint8_t>(x + c.dx)))
                << "anchor " << c.anchor << " at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllAnchors, CropAnchorTest,
                         testing::Values(CropCase{0, 2, 2}, CropCase{1, 2, 0}, CropCase{2, 5, 0},
                                         CropCase{3, 5, 2}, CropCase{4, 5, 5}, CropCase{5, 2, 5},
                                         CropCase{6, 0, 5}, CropCase{7, 0, 2}, CropCase{8, 0, 0},
                                         CropCase{42, 0, 0}));

TEST(CropToSize, DropsTheSmallerHalfOnTheLeft) {
    RgbImage image(643, 2, 24);
    FillWithCoordinates(image);  // blue = x mod 256
    ASSERT_TRUE(CropToSize(nullptr, image, 640, 2, 0, nullptr));
    EXPECT_EQ(image.Width(), 640);
    EXPECT_EQ(ColourBlue(image.ReadPixelColour(0, 0)), 1);
    EXPECT_EQ(ColourBlue(image.ReadPixelColour(639, 1)), 640 % 256);
}

TEST(CropToSize, RefusesImpossibleSizesAndCopiesOnSameSize) {
    RgbImage image(8, 4, 24);
    FillWithCoordinates(image);
    int32_t status = 5;
    EXPECT_FALSE(CropToSize(&status, image, 0, 4, 0, nullptr));
    EXPECT_FALSE(CropToSize(&status, image, 8, -1, 0, nullptr));
    EXPECT_FALSE(CropToSize(&status, image, 9, 4, 0, nullptr));
    EXPECT_FALSE(CropToSize(&status, image, 8, 5, 0, nullptr));
    RgbImage empty;
    EXPECT_FALSE(CropToSize(&status, empty, 1, 1, 0, nullptr));
    RgbImage copy;
    EXPECT_TRUE(CropToSize(&status, image, 8, 4, 0, &copy));
    EXPECT_EQ(status, 5);
    EXPECT_EQ(copy.ReadPixelColour(7, 3), image.ReadPixelColour(7, 3));
    EXPECT_NE(copy.Block(), image.Block());
}

TEST(CropToSize, NeverReadsPastTheSourceRowWhenThePaddingGrows) {
    // 5 -> 3 pixels at the right edge: the new 12-byte row starts 6 bytes into a 16-byte row.
    RgbImage image(5, 3, 24);
    FillWithCoordinates(image);
    ASSERT_TRUE(CropToSize(nullptr, image, 3, 1, 4, nullptr));
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(7, 2, 2));
    EXPECT_EQ(image.ReadPixelColour(2, 0), MakeColour(7, 2, 4));
}

TEST(CropToSize, KeepsThePaletteOfPaletteImages) {
    RgbImage image(16, 2, 4);
    const uint8_t red[2] = {0, 255};
    image.LoadPaletteChannels(2, red, nullptr, nullptr);
    for (int32_t x = 0; x < 16; ++x)
        image.WritePixelIndex(x, 0, x >= 8 ? 1 : 0);
    ASSERT_TRUE(CropToSize(nullptr, image, 8, 1, 2, nullptr));
    EXPECT_EQ(image.BitsPerPixel(), 4);
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(255, 255, 255));
}

TEST(RowCursor, WalksStoredRowsFromTheTop) {
    RgbImage image(2, 3, 24);  // stride 8
    RowCursor cursor(image);
    EXPECT_EQ(cursor.RowPointer(), image.Bits());
    cursor.MoveToTop();
    EXPECT_EQ(cursor.RowIndex(), 2);
    EXPECT_EQ(cursor.RowPointer(), image.Row(2));
    const uint8_t source[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(cursor.WriteRow(source, 10), 8);
    EXPECT_EQ(image.Row(2)[7], 8);
    cursor.MoveDown();
    EXPECT_EQ(cursor.WriteRow(source, 3), 3);
    EXPECT_EQ(cursor.WriteRow(source, -1), 8);
    EXPECT_EQ(cursor.MoveToRow(-1), image.Row(1));
    EXPECT_EQ(cursor.MoveToRow(3), image.Row(1));
    EXPECT_EQ(cursor.MoveToRow(0), image.Row(0));
    cursor.MoveDown();  // below the bottom row: writes go nowhere
    EXPECT_EQ(cursor.WriteRow(source, 8), 0);
}

TEST(SwapRedBlue, SwapsEveryStartedGroup) {
    uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SwapRedBlue(buffer, 4);  // groups 0..2 and 3..5
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 8),
              (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 7, 8}));
    SwapRedBlue(buffer, 0);
    SwapRedBlue(nullptr, 6);
    EXPECT_EQ(buffer[0], 3);
}

TEST(ExpandPackedPixels, Converts555And565InPlace) {
    RgbImage image(3, 2, 24);
    // Packed rows are 8 bytes: ((3 + 1) / 2) x 4.
    const uint16_t row0[4] = {0x7FFF, 0x7C00, 0x001F, 0};
    const uint16_t row1[4] = {0x03E0, 0x4210, 0x0000, 0};
    uint8_t* bits = image.Bits();
    for (int i = 0; i < 3; ++i) {
        StoreLe16(bits + i * 2, row0[i]);
        StoreLe16(bits + 8 + i * 2, row1[i]);
    }
    image.ExpandPackedPixels(bits, 0x7C00, 0x03E0, 0x001F, 16);
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(248, 248, 248));
    EXPECT_EQ(image.ReadPixelColour(1, 0), MakeColour(248, 0, 0));
    EXPECT_EQ(image.ReadPixelColour(2, 0), MakeColour(0, 0, 248));
    EXPECT_EQ(image.ReadPixelColour(0, 1), MakeColour(0, 248, 0));
    EXPECT_EQ(image.ReadPixelColour(1, 1), MakeColour(128, 128, 128));

    RgbImage wide(1, 1, 24);
    StoreLe16(wide.Bits(), 0x07E0 | 0x0010);
    wide.ExpandPackedPixels(wide.Bits(), 0xF800, 0x07E0, 0x001F, 16);
    EXPECT_EQ(wide.ReadPixelColour(0, 0), MakeColour(0, 252, 128));
}

TEST(ExpandPackedPixels, OddMasksShiftSafely) {
    // 2-3-1 bits: the green and red shifts are negative; they become left shifts.
    RgbImage image(1, 1, 24);
    const uint8_t source[4] = {0x3F, 0, 0, 0};
    image.ExpandPackedPixels(source, 0x30, 0x0E, 0x01, 16);
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(0x30 << 2, 0x0E << 3, 0x01 << 6));
}

TEST(ExpandPackedPixels, Takes32BitBytesAsBlueGreenRedIgnoringMasks) {
    RgbImage image(2, 1, 24);
    const uint8_t source[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    image.ExpandPackedPixels(source, 0xFF, 0xFF00, 0xFF0000, 32);
    EXPECT_EQ(image.ReadPixelColour(0, 0), MakeColour(3, 2, 1));
    EXPECT_EQ(image.ReadPixelColour(1, 0), MakeColour(7, 6, 5));
}

}  // namespace
}  // namespace lumivex
