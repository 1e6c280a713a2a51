// Writing PNG files: 8-bit RGB, one row at a time, with the resolution as a pHYs chunk.
#include <spng.h>

#include <memory>
#include <vector>

#include "image/picture_rows.h"
#include "image/png_codec.h"

namespace lumivex {

namespace {

struct ContextDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

int WriteToStream(spng_ctx*, void* user, void* source, size_t length) {
    auto& stream = *static_cast<ImageStream*>(user);
    const auto* in = static_cast<const uint8_t*>(source);
    while (length > 0) {
        const int32_t step = static_cast<int32_t>(std::min<size_t>(length, 1 << 20));
        const int32_t written = stream.Write(in, step);
        if (written <= 0)
            return SPNG_IO_ERROR;
        in += written;
        length -= static_cast<size_t>(written);
    }
    return 0;
}

uint32_t PixelsPerMetre(int32_t dpi) {
    return dpi > 0 ? static_cast<uint32_t>(DpiToPixelsPerMetre(dpi)) : 0;
}

}  // namespace

bool PngCodec::Encode(ImageStream& stream, const RgbImage& image) {
    ClearFailure();
    if (image.IsEmpty() || image.BitsPerPixel() != 24)
        return Fail("Only 24-bit pictures can be written as PNG");
    std::unique_ptr<spng_ctx, ContextDeleter> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx)
        return Fail("Out of memory");
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    spng_ihdr ihdr{};
    ihdr.width = static_cast<uint32_t>(width);
    ihdr.height = static_cast<uint32_t>(height);
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    int error = spng_set_png_stream(ctx.get(), WriteToStream, &stream);
    if (error == 0)
        error = spng_set_ihdr(ctx.get(), &ihdr);
    const uint32_t ppmX = PixelsPerMetre(image.HorizontalDpi());
    const uint32_t ppmY = PixelsPerMetre(image.VerticalDpi());
    if (error == 0 && ppmX > 0 && ppmY > 0) {
        spng_phys phys{ppmX, ppmY, 1};
        error = spng_set_phys(ctx.get(), &phys);
    }
    if (error == 0) {
        error = spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG,
                                  SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    }
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
    for (int32_t row = height - 1; row >= 0 && error == 0; --row) {
        LoadRgbRow(image.Row(row), width, rgb.data());
        error = spng_encode_row(ctx.get(), rgb.data(), rgb.size());
    }
    if (error != SPNG_EOI)
        return Fail(error == SPNG_IO_ERROR
                        ? "The PNG data could not be written"
                        : std::string("PNG encoding failed: ") + spng_strerror(error));
    return true;
}

}  // namespace lumivex
