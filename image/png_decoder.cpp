// Reading PNG files: libspng decodes row by row straight into the picture, so no copy of the
// whole image is ever held beside it.
#include <spng.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "image/picture_rows.h"
#include "image/png_codec.h"

namespace lumivex {

namespace {

// Samples per pixel of a PNG colour type (a palette index is one).
int ChannelsOf(uint8_t colourType) {
    switch (colourType) {
        case SPNG_COLOR_TYPE_TRUECOLOR:
            return 3;
        case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
            return 2;
        case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
            return 4;
        default:
            return 1;
    }
}

struct ContextDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using PngContext = std::unique_ptr<spng_ctx, ContextDeleter>;

// Ancillary chunks libspng keeps in memory (text, ICC profile, ...) may take this much in all.
constexpr size_t kChunkCacheBytes = size_t{64} << 20;

int ReadFromStream(spng_ctx*, void* user, void* destination, size_t length) {
    auto& stream = *static_cast<ImageStream*>(user);
    auto* out = static_cast<uint8_t*>(destination);
    while (length > 0) {
        const int32_t step = static_cast<int32_t>(std::min<size_t>(length, 1 << 20));
        const int32_t got = stream.Read(out, step);
        if (got <= 0)
            return SPNG_IO_EOF;
        out += got;
        length -= static_cast<size_t>(got);
    }
    return 0;
}

std::string LibraryFailure(int error) {
    if (error == SPNG_IO_EOF)
        return "The PNG file ends early";
    if (error == SPNG_ESIGNATURE)
        return "Not a PNG file";
    return std::string("Damaged PNG file: ") + spng_strerror(error);
}

// Columns of one decoded row that the current pass filled: start and step (Adam7 passes 0-6,
// or every column of a non-interlaced picture).
struct PassColumns {
    uint32_t first;
    uint32_t step;
};

PassColumns ColumnsOfPass(bool interlaced, int pass) {
    static constexpr PassColumns kAdam7[7] = {{0, 8}, {4, 8}, {0, 4}, {2, 4},
                                              {0, 2}, {1, 2}, {0, 1}};
    if (!interlaced || pass < 0 || pass > 6)
        return {0, 1};
    return kAdam7[pass];
}

// One decoded row (RGBA, 8 or 16 bits per sample in host order) into the picture row.
void StoreRow(const uint8_t* row, bool sixteen, PassColumns columns, uint32_t width, uint8_t* bgr) {
    for (uint32_t x = columns.first; x < width; x += columns.step) {
        uint8_t rgba[4];
        if (sixteen) {
            uint16_t samples[4];
            std::memcpy(samples, row + static_cast<size_t>(x) * 8, sizeof samples);
            for (int i = 0; i < 4; ++i)
                rgba[i] = ReduceTo8Bits(samples[i]);
        } else {
            std::memcpy(rgba, row + static_cast<size_t>(x) * 4, 4);
        }
        StoreRgbaOnWhite(rgba, 1, bgr + static_cast<size_t>(x) * 3);
    }
}

void ApplyResolution(spng_ctx* ctx, RgbImage& image) {
    spng_phys phys{};
    if (spng_get_phys(ctx, &phys) != 0 || phys.unit_specifier != 1)
        return;
    image.SetHorizontalDpi(DpiFromPixelsPerMetre(phys.ppu_x));
    image.SetVerticalDpi(DpiFromPixelsPerMetre(phys.ppu_y));
}

}  // namespace

bool PngCodec::Decode(ImageStream& stream, RgbImage& image) {
    image.Release();
    ClearFailure();
    PngContext ctx(spng_ctx_new(0));
    if (!ctx)
        return Fail("Picture too large for memory");
    spng_set_chunk_limits(ctx.get(), SIZE_MAX, kChunkCacheBytes);
    int error = spng_set_png_stream(ctx.get(), ReadFromStream, &stream);
    spng_ihdr ihdr{};
    if (error == 0)
        error = spng_get_ihdr(ctx.get(), &ihdr);
    if (error != 0)
        return Fail(LibraryFailure(error));

    const bool sixteen = ihdr.bit_depth == 16;
    const int format = sixteen ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    const uint64_t rowBytes = uint64_t{ihdr.width} * (sixteen ? 8 : 4);
    // The picture, plus the decoded row and the two scanlines the library works on.
    const uint64_t working = uint64_t{ihdr.width} * ihdr.height * 3 + 3 * rowBytes;
    if (working > static_cast<uint64_t>(kMaxPixelDataBytes) ||
        !image.Allocate(static_cast<int32_t>(ihdr.width), static_cast<int32_t>(ihdr.height), 24)) {
        return Fail("Picture too large for memory");
    }
    SetFileBitsPerPixel(ihdr.bit_depth * ChannelsOf(ihdr.color_type));
    error = spng_decode_image(ctx.get(), nullptr, 0, format,
                              SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    const bool interlaced = ihdr.interlace_method != SPNG_INTERLACE_NONE;
    while (error == 0) {
        spng_row_info info{};
        error = spng_get_row_info(ctx.get(), &info);
        if (error == 0)
            error = spng_decode_row(ctx.get(), row.data(), row.size());
        if ((error == 0 || error == SPNG_EOI) && info.row_num < ihdr.height) {
            StoreRow(row.data(), sixteen, ColumnsOfPass(interlaced, info.pass), ihdr.width,
                     image.Row(static_cast<int32_t>(ihdr.height - 1 - info.row_num)));
        }
    }
    if (error != SPNG_EOI) {
        image.Release();
        return Fail(LibraryFailure(error));
    }
    ApplyResolution(ctx.get(), image);
    return true;
}

}  // namespace lumivex
