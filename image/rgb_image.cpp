#include "image/rgb_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "image/byte_order.h"
#include "memory/huge_pages.h"

namespace lumivex {

namespace {

// Offsets of the information-header fields inside the block.
constexpr int kHeaderSizeField = 0;
constexpr int kWidthField = 4;
constexpr int kHeightField = 8;
constexpr int kPlanesField = 12;
constexpr int kBitsField = 14;
constexpr int kCompressionField = 16;
constexpr int kImageSizeField = 20;
constexpr int kXPelsField = 24;
constexpr int kYPelsField = 28;
constexpr int kColoursUsedField = 32;
constexpr int kColoursImportantField = 36;

constexpr int32_t kDefaultDpi = 96;

int NormaliseDepth(int bitsPerPixel) {
    if (bitsPerPixel <= 1)
        return 1;
    if (bitsPerPixel <= 4)
        return 4;
    if (bitsPerPixel <= 8)
        return 8;
    return 24;
}

int32_t PaletteEntriesForDepth(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? (1 << bitsPerPixel) : 0;
}

int64_t StrideFor(int64_t width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// Squared distance between two colours; at most 3 x 255^2.
int32_t ColourDistance(Colour a, Colour b) {
    const int32_t dr = ColourRed(a) - ColourRed(b);
    const int32_t dg = ColourGreen(a) - ColourGreen(b);
    const int32_t db = ColourBlue(a) - ColourBlue(b);
    return dr * dr + dg * dg + db * db;
}

int CountBits16(uint32_t mask) {
    return __builtin_popcount(mask & 0xFFFFu);
}

// value >> shift for shift >= 0, value << -shift otherwise; shifts of 32 or more give 0.
uint32_t ShiftRight(uint32_t value, int shift) {
    if (shift >= 32 || shift <= -32)
        return 0;
    return shift >= 0 ? value >> shift : value << -shift;
}

}  // namespace

int32_t DpiToPixelsPerMetre(int32_t dpi) {
    const double ppm = std::floor(static_cast<double>(dpi) * 39.37007874015748 + 0.5);
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(ppm, lo, hi));
}

RgbImage::RgbImage(int32_t width, int32_t height, int bitsPerPixel) {
    Allocate(width, height, bitsPerPixel);
}

RgbImage::RgbImage(RgbImage&& other) noexcept {
    TakeFrom(other);
}

RgbImage& RgbImage::operator=(RgbImage&& other) noexcept {
    if (this != &other)
        TakeFrom(other);
    return *this;
}

namespace {

// Decoders write each row's pixels only; the padding bytes after them would otherwise go into a
// saved bitmap as whatever the heap held before.
void ClearRowPadding(uint8_t* pixels, int32_t width, int32_t height, int bpp, int64_t stride) {
    const int64_t used = (static_cast<int64_t>(width) * bpp + 7) / 8;
    if (used == stride)
        return;
    for (int32_t y = 0; y < height; ++y)
        std::memset(pixels + y * stride + used, 0, static_cast<size_t>(stride - used));
}

}  // namespace

bool RgbImage::Allocate(int32_t width, int32_t height, int bitsPerPixel) {
    Release();
    const int bpp = NormaliseDepth(bitsPerPixel);
    if (width <= 0 || height <= 0)
        return false;
    // width x height < 2^62, so the pixel count never wraps; checking it against the limit
    // in bits first keeps the product with the depth in range too.
    const int64_t pixels = static_cast<int64_t>(width) * height;
    if (pixels > kMaxPixelDataBytes * 8)
        return false;
    if (pixels * bpp / 8 > kMaxPixelDataBytes)
        return false;

    const int64_t stride = StrideFor(width, bpp);
    const int32_t entries = PaletteEntriesForDepth(bpp);
    const int64_t imageSize = stride * height;
    const int64_t blockSize = imageSize + entries * 4 + kDibHeaderSize;
    // Row padding can make a very narrow, very tall picture far larger than its pixel count
    // suggests; every size in the header is a signed 32-bit field.
    if (blockSize > std::numeric_limits<int32_t>::max())
        return false;

    block_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(blockSize)]);
    if (!block_)
        return false;
    // A camera picture is tens of megabytes, written once by its decoder or by the engine:
    // on huge pages that is a page fault per 2 MiB instead of per 4 KiB.
    memory::AdviseHugePages(block_.get(), static_cast<size_t>(blockSize));
    std::memset(block_.get(), 0, static_cast<size_t>(kDibHeaderSize + entries * 4));
    ClearRowPadding(block_.get() + kDibHeaderSize + entries * 4, width, height, bpp, stride);
    SetHeaderField(kHeaderSizeField, kDibHeaderSize);
    SetHeaderField(kWidthField, width);
    SetHeaderField(kHeightField, height);
    StoreLe16(block_.get() + kPlanesField, 1);
    StoreLe16(block_.get() + kBitsField, static_cast<uint16_t>(bpp));
    SetHeaderField(kCompressionField, 0);
    SetHeaderField(kImageSizeField, static_cast<int32_t>(imageSize));
    SetHeaderField(kColoursUsedField, entries);
    SetHeaderField(kColoursImportantField, 0);
    DeriveLayout();
    SetHorizontalDpi(kDefaultDpi);
    SetVerticalDpi(kDefaultDpi);
    return true;
}

void RgbImage::Release() {
    block_.reset();
    palette_ = nullptr;
    bits_ = nullptr;
    stride_ = 0;
    horizontalDpi_ = 0;
    verticalDpi_ = 0;
}

void RgbImage::DeriveLayout() {
    const int32_t entries = PaletteEntryCount();
    palette_ = entries > 0 ? block_.get() + kDibHeaderSize : nullptr;
    bits_ = block_.get() + kDibHeaderSize + entries * 4;
    stride_ = static_cast<int32_t>(StrideFor(Width(), BitsPerPixel()));
}

int32_t RgbImage::HeaderField(int offset) const {
    return LoadLeInt32(block_.get() + offset);
}

void RgbImage::SetHeaderField(int offset, int32_t value) {
    StoreLeInt32(block_.get() + offset, value);
}

int32_t RgbImage::Width() const {
    return block_ ? HeaderField(kWidthField) : 0;
}

int32_t RgbImage::Height() const {
    return block_ ? HeaderField(kHeightField) : 0;
}

int RgbImage::BitsPerPixel() const {
    return block_ ? LoadLe16(block_.get() + kBitsField) : 0;
}

int32_t RgbImage::PaletteEntryCount() const {
    return block_ ? HeaderField(kColoursUsedField) : 0;
}

int32_t RgbImage::DibByteCount() const {
    if (!block_)
        return 0;
    return HeaderField(kImageSizeField) + kDibHeaderSize + PaletteByteCount();
}

void RgbImage::CopyFrom(const RgbImage& source) {
    if (&source == this)
        return;
    if (source.IsEmpty()) {
        Release();
        return;
    }
    if (!Allocate(source.Width(), std::abs(source.Height()), source.BitsPerPixel()))
        return;
    std::memcpy(block_.get(), source.block_.get(), static_cast<size_t>(source.DibByteCount()));
    stride_ = source.stride_;
    horizontalDpi_ = source.horizontalDpi_;
    verticalDpi_ = source.verticalDpi_;
    DeriveLayout();
}

void RgbImage::TakeFrom(RgbImage& source) {
    if (&source == this)
        return;
    Release();
    block_ = std::move(source.block_);
    palette_ = std::exchange(source.palette_, nullptr);
    bits_ = std::exchange(source.bits_, nullptr);
    stride_ = std::exchange(source.stride_, 0);
    horizontalDpi_ = std::exchange(source.horizontalDpi_, 0);
    verticalDpi_ = std::exchange(source.verticalDpi_, 0);
}

void RgbImage::SetHorizontalDpi(int32_t dpi) {
    horizontalDpi_ = dpi;
    if (block_)
        SetHeaderField(kXPelsField, DpiToPixelsPerMetre(dpi));
}

void RgbImage::SetVerticalDpi(int32_t dpi) {
    verticalDpi_ = dpi;
    if (block_)
        SetHeaderField(kYPelsField, DpiToPixelsPerMetre(dpi));
}

int32_t RgbImage::PaletteByteCount() const {
    return PaletteEntryCount() * 4;
}

uint32_t RgbImage::PaletteEntry(int index) const {
    if (!palette_ || index < 0 || index >= PaletteEntryCount())
        return 0;
    return LoadLe32(palette_ + index * 4);
}

void RgbImage::LoadPaletteEntries(const uint8_t* entries, int32_t count) {
    if (!palette_ || !entries || count <= 0)
        return;
    const int64_t bytes = std::min<int64_t>(static_cast<int64_t>(count) * 4, PaletteByteCount());
    std::memcpy(palette_, entries, static_cast<size_t>(bytes));
}

void RgbImage::LoadPaletteChannels(int32_t count, const uint8_t* red, const uint8_t* green,
                                   const uint8_t* blue) {
    if (!red || !palette_)
        return;
    if (!green)
        green = red;
    if (!blue)
        blue = green;
    const int32_t n = std::min(count, PaletteEntryCount());
    for (int32_t i = 0; i < n; ++i) {
        uint8_t* entry = palette_ + i * 4;
        entry[0] = blue[i];
        entry[1] = green[i];
        entry[2] = red[i];
    }
}

int RgbImage::NearestPaletteIndex(Colour colour) const {
    if (!palette_)
        return 0;
    const int32_t entries = PaletteEntryCount();
    const int32_t important = HeaderField(kColoursImportantField);
    // A header may claim more important colours than it has entries; never look past them.
    const int32_t n = (important > 0 && important < entries) ? important : entries;
    int32_t best = 200000;
    int chosen = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t* e = palette_ + i * 4;
        const int32_t d = ColourDistance(colour, MakeColour(e[2], e[1], e[0]));
        if (d == 0)
            return i;
        if (d < best) {
            best = d;
            chosen = i;
        }
    }
    return chosen;
}

bool RgbImage::SetPaletteEntryCount(int32_t count) {
    if (!block_)
        return false;
    const int bpp = BitsPerPixel();
    if (count < 0 || count > PaletteEntriesForDepth(bpp))
        return false;
    SetHeaderField(kColoursUsedField, count);
    DeriveLayout();
    return true;
}

bool RgbImage::Contains(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < Width() && y < std::abs(Height());
}

Colour RgbImage::ReadPixelColour(int32_t x, int32_t y) const {
    if (!block_)
        return 0;
    if (!Contains(x, y))
        x = y = 0;
    if (palette_) {
        const uint32_t entry = PaletteEntry(ReadPixelIndex(x, y));
        return MakeColour(static_cast<uint8_t>(entry >> 16), static_cast<uint8_t>(entry >> 8),
                          static_cast<uint8_t>(entry));
    }
    const uint8_t* p = Row(y) + static_cast<ptrdiff_t>(x) * 3;
    return MakeColour(p[2], p[1], p[0]);
}

void RgbImage::WritePixelColour(int32_t x, int32_t y, Colour colour) {
    if (!block_ || !Contains(x, y))
        return;
    if (palette_) {
        WritePixelIndex(x, y, NearestPaletteIndex(colour));
        return;
    }
    if (BitsPerPixel() != 24)
        return;
    uint8_t* p = Row(y) + static_cast<ptrdiff_t>(x) * 3;
    p[0] = ColourBlue(colour);
    p[1] = ColourGreen(colour);
    p[2] = ColourRed(colour);
}

int RgbImage::ReadPixelIndex(int32_t x, int32_t y) const {
    if (!palette_)
        return 0;
    if (!Contains(x, y))
        return bits_[0];
    const uint8_t* row = Row(y);
    switch (BitsPerPixel()) {
        case 8:
            return row[x];
        case 4:
            return (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
        case 1:
            return (row[x / 8] >> (7 - (x & 7))) & 1;
        default:
            return 0;
    }
}

void RgbImage::WritePixelIndex(int32_t x, int32_t y, int index) {
    if (!palette_ || !Contains(x, y))
        return;
    uint8_t* row = Row(y);
    switch (BitsPerPixel()) {
        case 8:
            row[x] = static_cast<uint8_t>(index);
            break;
        case 4: {
            uint8_t& b = row[x / 2];
            const uint8_t nibble = static_cast<uint8_t>(index & 0x0F);
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | nibble)
                        : static_cast<uint8_t>((b & 0x0F) | (nibble << 4));
            break;
        }
        case 1: {
            uint8_t& b = row[x / 8];
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
            b = (index & 1) ? static_cast<uint8_t>(b | bit) : static_cast<uint8_t>(b & ~bit);
            break;
        }
        default:
            break;
    }
}

bool RgbImage::PromoteDepth(int bitsPerPixel) {
    if (!block_)
        return false;
    if (bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24)
        return false;
    const int current = BitsPerPixel();
    if (current == bitsPerPixel)
        return true;
    if (current > bitsPerPixel)
        return false;

    const int32_t width = Width();
    const int32_t height = std::abs(Height());
    RgbImage promoted;
    if (!promoted.Allocate(width, height, bitsPerPixel))
        return false;
    if (bitsPerPixel != 24)
        promoted.LoadPaletteEntries(palette_, PaletteEntryCount());
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            promoted.WritePixelColour(x, y, ReadPixelColour(x, y));
        }
    }
    TakeFrom(promoted);
    return true;
}

void RgbImage::ExpandPackedPixels(const uint8_t* source, uint32_t redMask, uint32_t greenMask,
                                  uint32_t blueMask, int bitsPerPixel) {
    if (!block_ || !source || BitsPerPixel() != 24)
        return;
    if (bitsPerPixel == 16) {
        ExpandPacked16(source, redMask, greenMask, blueMask);
    } else if (bitsPerPixel == 32) {
        ExpandPacked32(source);
    }
}

void RgbImage::ExpandPacked16(const uint8_t* source, uint32_t redMask, uint32_t greenMask,
                              uint32_t blueMask) {
    const int nR = CountBits16(redMask);
    const int nG = CountBits16(greenMask);
    const int nB = CountBits16(blueMask);
    const int32_t width = Width();
    const int32_t height = std::abs(Height());
    const ptrdiff_t sourceStride = static_cast<ptrdiff_t>((width + 1) / 2) * 4;
    // Last row and last pixel first: each 24-bit pixel lies at or after the packed pixel it
    // replaces, so the source may be this image's own pixel area.
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* in = source + y * sourceStride;
        uint8_t* out = Row(y);
        for (int32_t x = width - 1; x >= 0; --x) {
            const uint8_t b0 = in[x * 2];
            const uint32_t v = b0 + 256u * in[x * 2 + 1];
            const uint32_t blue = ShiftRight(b0 & blueMask, nR - 8) & 255;
            const uint32_t green = ShiftRight(v & greenMask, nR + nG - 8) & 255;
            const uint32_t red = ShiftRight(v & redMask, nR + nG + nB - 8) & 255;
            out[x * 3] = static_cast<uint8_t>(blue);
            out[x * 3 + 1] = static_cast<uint8_t>(green);
            out[x * 3 + 2] = static_cast<uint8_t>(red);
        }
    }
}

void RgbImage::ExpandPacked32(const uint8_t* source) {
    const int32_t width = Width();
    const int32_t height = std::abs(Height());
    const ptrdiff_t sourceStride = static_cast<ptrdiff_t>(width) * 4;
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* in = source + y * sourceStride;
        uint8_t* out = Row(y);
        for (int32_t x = width - 1; x >= 0; --x) {
            out[x * 3] = in[x * 4];
            out[x * 3 + 1] = in[x * 4 + 1];
            out[x * 3 + 2] = in[x * 4 + 2];
        }
    }
}

void SwapRedBlue(uint8_t* buffer, int32_t length) {
    if (!buffer || length <= 0)
        return;
    const int64_t groups = (static_cast<int64_t>(length) + 2) / 3;
    for (int64_t i = 0; i < groups; ++i)
        std::swap(buffer[i * 3], buffer[i * 3 + 2]);
}

namespace {

struct CropOffset {
    int32_t dx;
    int32_t dy;
};

CropOffset OffsetForAnchor(int anchor, int32_t dw, int32_t dh) {
    switch (anchor) {
        case 0:
            return {dw / 2, dh / 2};
        case 1:
            return {dw / 2, 0};
        case 2:
            return {dw, 0};
        case 3:
            return {dw, dh / 2};
        case 4:
            return {dw, dh};
        case 5:
            return {dw / 2, dh};
        case 6:
            return {0, dh};
        case 7:
            return {0, dh / 2};
        default:
            return {0, 0};
    }
}

}  // namespace

bool CropToSize(int32_t* status, RgbImage& image, int32_t newWidth, int32_t newHeight, int anchor,
                RgbImage* destination) {
    if (newWidth <= 0 || newHeight <= 0 || image.IsEmpty())
        return false;
    const int32_t width = image.Width();
    const int32_t height = std::abs(image.Height());
    if (newWidth > width || newHeight > height)
        return false;
    if (newWidth == width && newHeight == height) {
        if (destination)
            destination->CopyFrom(image);
        return true;
    }

    const int bpp = image.BitsPerPixel();
    RgbImage cropped;
    if (!cropped.Allocate(newWidth, newHeight, bpp))
        return false;
    cropped.LoadPaletteEntries(image.Palette(), image.PaletteEntryCount());

    const CropOffset offset = OffsetForAnchor(anchor, width - newWidth, height - newHeight);
    const int64_t byteOffset = static_cast<int64_t>(bpp) * offset.dx / 8;
    // The new row's padding can reach past the end of the source row; never copy beyond it.
    const size_t count =
        static_cast<size_t>(std::min<int64_t>(cropped.Stride(), image.Stride() - byteOffset));
    for (int32_t row = 0; row < newHeight; ++row) {
        std::memcpy(cropped.Row(row), image.Row(offset.dy + row) + byteOffset, count);
    }

    if (destination) {
        destination->TakeFrom(cropped);
    } else {
        image.TakeFrom(cropped);
    }
    if (status)
        *status = -100;
    return true;
}

void RowCursor::AttachTo(RgbImage& image) {
    image_ = &image;
    y_ = 0;
    row_ = image.Bits();
}

void RowCursor::MoveToTop() {
    if (!image_ || image_->IsEmpty())
        return;
    y_ = std::abs(image_->Height()) - 1;
    row_ = image_->Row(y_);
}

uint8_t* RowCursor::MoveToRow(int32_t y) {
    if (image_ && y >= 0 && y < std::abs(image_->Height())) {
        y_ = y;
        row_ = image_->Row(y);
    }
    return row_;
}

void RowCursor::MoveDown() {
    --y_;
    // Below the bottom row there is no row to point at.
    row_ = (image_ && y_ >= 0) ? image_->Row(y_) : nullptr;
}

int32_t RowCursor::WriteRow(const uint8_t* source, int32_t length) {
    if (!row_ || !source || !image_)
        return 0;
    const int32_t stride = image_->Stride();
    const int32_t count = (length < 0) ? stride : std::min(length, stride);
    std::memcpy(row_, source, static_cast<size_t>(count));
    return count;
}

}  // namespace lumivex
