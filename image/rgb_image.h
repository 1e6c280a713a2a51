// RgbImage: the one picture type of Lumivex. A picture is a single heap block laid out as a
// device-independent bitmap: a 40-byte information header, an optional palette of 4-byte
// entries (blue, green, red, 0), then the pixel rows bottom-up, each row padded to a multiple of
// 4 bytes. The same bytes are what a BMP writer copies after its 14-byte file header.
//
// Depths 1, 4 and 8 (with palette) occur only inside the file readers; every input frame and
// every enhancement result is 24 bits, blue, green, red per pixel.
//
// Coordinates of the pixel operations are (x, stored row y) with y = 0 the BOTTOM row of the
// picture. Colours passed in and out are 32-bit values with red in bits 0-7, green in bits 8-15
// and blue in bits 16-23 (see MakeColour).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lumivex {

using Colour = uint32_t;

constexpr Colour MakeColour(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) |
           (static_cast<Colour>(blue) << 16);
}
constexpr uint8_t ColourRed(Colour c) {
    return static_cast<uint8_t>(c);
}
constexpr uint8_t ColourGreen(Colour c) {
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t ColourBlue(Colour c) {
    return static_cast<uint8_t>(c >> 16);
}

// Pixel data beyond this many bytes (width x height x bits / 8, before row padding) is refused.
constexpr int64_t kMaxPixelDataBytes = 256'000'000;
// Size of the information header at the start of every block.
constexpr int32_t kDibHeaderSize = 40;

// Pixels per metre stored in the header for a resolution in dots per inch:
// floor(dpi x 39.37007874015748 + 0.5), clamped to the signed 32-bit range.
int32_t DpiToPixelsPerMetre(int32_t dpi);

class RgbImage {
public:
    RgbImage() = default;
    // As empty, then Allocate; check IsEmpty() for the outcome.
    RgbImage(int32_t width, int32_t height, int bitsPerPixel);
    ~RgbImage() = default;

    RgbImage(const RgbImage&) = delete;
    RgbImage& operator=(const RgbImage&) = delete;
    // Moving is TakeFrom: the source ends empty.
    RgbImage(RgbImage&& other) noexcept;
    RgbImage& operator=(RgbImage&& other) noexcept;

    // --- storage -------------------------------------------------------------------------
    // Releases the current block and builds a new one: depth normalised to 1, 4, 8 or 24
    // (so 16 and 32 give 24), zeroed palette of 2/16/256/0 entries, pixel rows NOT cleared,
    // 96 dpi. False (image empty) when width or height is not positive, when the pixel data
    // would exceed kMaxPixelDataBytes, when the padded block would not fit a signed 32-bit
    // size, or when memory is short.
    bool Allocate(int32_t width, int32_t height, int bitsPerPixel);
    void Release();
    // Pixel-data size + header size + palette bytes; 0 for an empty image.
    int32_t DibByteCount() const;
    // Allocates the source's geometry and copies its whole block (header, palette, pixels),
    // its stride and both dpi values. Copying an empty source leaves this image empty.
    void CopyFrom(const RgbImage& source);
    // Takes the source's block and fields without copying; the source ends empty.
    void TakeFrom(RgbImage& source);

    // --- accessors (meaningless for an empty image, except IsEmpty) -----------------------
    bool IsEmpty() const { return block_ == nullptr; }
    int32_t Width() const;
    int32_t Height() const;  // signed, as stored in the header (positive for Allocate'd images)
    int BitsPerPixel() const;
    int32_t Stride() const { return stride_; }
    uint8_t* Bits() { return bits_; }
    const uint8_t* Bits() const { return bits_; }
    uint8_t* Block() { return block_.get(); }
    const uint8_t* Block() const { return block_.get(); }
    uint8_t* Palette() { return palette_; }
    const uint8_t* Palette() const { return palette_; }
    int32_t PaletteEntryCount() const;
    int32_t HorizontalDpi() const { return horizontalDpi_; }
    int32_t VerticalDpi() const { return verticalDpi_; }
    // Pointer to stored row y (0 = bottom); no range check.
    uint8_t* Row(int32_t y) { return bits_ + static_cast<ptrdiff_t>(y) * stride_; }
    const uint8_t* Row(int32_t y) const { return bits_ + static_cast<ptrdiff_t>(y) * stride_; }

    // --- resolution ----------------------------------------------------------------------
    void SetHorizontalDpi(int32_t dpi);
    void SetVerticalDpi(int32_t dpi);

    // --- palette -------------------------------------------------------------------------
    int32_t PaletteByteCount() const;
    // The 4 stored bytes as a value: blue in bits 0-7, green 8-15, red 16-23 (NOT a Colour);
    // 0 for an empty image, no palette or an index not below the entry count.
    uint32_t PaletteEntry(int index) const;
    // Copies min(count x 4, PaletteByteCount()) bytes of 4-byte entries into the palette.
    void LoadPaletteEntries(const uint8_t* entries, int32_t count);
    // Entry i = (blue[i], green[i], red[i]) for i below min(count, entry count); a null green
    // means red is used for green, a null blue means green (after that) is used for blue.
    void LoadPaletteChannels(int32_t count, const uint8_t* red, const uint8_t* green,
                             const uint8_t* blue);
    // Index of the entry closest to colour (least squared distance, earlier entry wins ties).
    int NearestPaletteIndex(Colour colour) const;
    // Shrinks the palette to count entries (0..2^bits) and moves the pixel rows to follow
    // them, as the block of a file with a short palette is laid out. The pixel rows are not
    // preserved. False for an empty image or a count outside that range.
    bool SetPaletteEntryCount(int32_t count);

    // --- pixels --------------------------------------------------------------------------
    // Outside the picture both coordinates become 0 (the bottom-left pixel is read); 0 for an
    // empty image.
    Colour ReadPixelColour(int32_t x, int32_t y) const;
    void WritePixelColour(int32_t x, int32_t y, Colour colour);
    // Palette images only (0 otherwise); outside the picture the first pixel byte is returned.
    int ReadPixelIndex(int32_t x, int32_t y) const;
    void WritePixelIndex(int32_t x, int32_t y, int index);

    // --- whole-image transforms ----------------------------------------------------------
    // Raises the depth to 4, 8 or 24 bits keeping the colours. True when already at the
    // target; false for an empty image, another target or a target below the current depth.
    bool PromoteDepth(int bitsPerPixel);
    // Fills this 24-bit image from packed 16- or 32-bit pixels (rows bottom-up). 16 bits: each
    // channel is shifted into place by the number of bits of the masks (no low-bit filling).
    // 32 bits: bytes 0, 1, 2 are blue, green, red; the masks are ignored. For 16 bits the
    // source may be this image's own pixel area. Source rows are ((width + 1) / 2) x 4 bytes
    // for 16 bits and width x 4 bytes for 32 bits.
    void ExpandPackedPixels(const uint8_t* source, uint32_t redMask, uint32_t greenMask,
                            uint32_t blueMask, int bitsPerPixel);

private:
    void DeriveLayout();
    bool Contains(int32_t x, int32_t y) const;
    int32_t HeaderField(int offset) const;
    void SetHeaderField(int offset, int32_t value);
    void ExpandPacked16(const uint8_t* source, uint32_t redMask, uint32_t greenMask,
                        uint32_t blueMask);
    void ExpandPacked32(const uint8_t* source);

    std::unique_ptr<uint8_t[]> block_;
    uint8_t* palette_ = nullptr;
    uint8_t* bits_ = nullptr;
    int32_t stride_ = 0;
    int32_t horizontalDpi_ = 0;
    int32_t verticalDpi_ = 0;
};

// Exchanges bytes 0 and 2 of each of the ceil(length / 3) 3-byte groups of buffer. A length
// that is not a multiple of 3 touches up to two bytes beyond length: pass a buffer with that
// slack. Nothing for a null buffer or length <= 0.
void SwapRedBlue(uint8_t* buffer, int32_t length);

// Crops image to newWidth x newHeight. anchor picks the part kept: 0 centre, 1 bottom centre,
// 2 bottom right, 3 right centre, 4 top right, 5 top centre, 6 top left, 7 left centre,
// anything else bottom left. The result goes into destination when given, else replaces
// image. False when a size is not positive or larger than the image, or the image is empty.
// On a real crop status (when given) is set to -100.
bool CropToSize(int32_t* status, RgbImage& image, int32_t newWidth, int32_t newHeight, int anchor,
                RgbImage* destination);

// Walks the stored rows of one image, as the codecs do.
class RowCursor {
public:
    RowCursor() = default;
    explicit RowCursor(RgbImage& image) { AttachTo(image); }

    void AttachTo(RgbImage& image);  // bottom row
    void MoveToTop();
    // Moves to stored row y and returns its pointer; y < 0 or y beyond the last row leaves
    // the cursor where it was.
    uint8_t* MoveToRow(int32_t y);
    void MoveDown();  // one row towards the bottom of the picture
    // Copies min(length, stride) bytes (stride bytes when length < 0) into the current row.
    int32_t WriteRow(const uint8_t* source, int32_t length);

    int32_t RowIndex() const { return y_; }
    uint8_t* RowPointer() const { return row_; }

private:
    int32_t y_ = 0;
    uint8_t* row_ = nullptr;
    RgbImage* image_ = nullptr;
};

}  // namespace lumivex
