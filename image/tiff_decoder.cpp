// Reading TIFF files: common sample layouts line by line with exact 16-bit rounding, all
// others through libtiff's RGBA interface a band of rows at a time.
#include <algorithm>
#include <cstring>
#include <vector>

#include "image/picture_rows.h"
#include "image/tiff_codec.h"
#include "image/tiff_stream.h"

namespace lumivex {

namespace {

constexpr char kTooLarge[] = "Picture too large for memory";
constexpr char kDamaged[] = "The TIFF file ends early or is damaged";

struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits = 0;
    uint16_t samples = 0;
    uint16_t photometric = 0;
    uint16_t planar = 0;
    uint16_t sampleFormat = 0;
    uint16_t orientation = 0;
    int colourSamples = 1;    // 3 for RGB, 1 for grey and palette
    bool alpha = false;       // the sample after the colour ones is opacity
    bool associated = false;  // colours already multiplied by that opacity
};

Layout ReadLayout(TIFF* tif) {
    Layout l;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    l.colourSamples = l.photometric == PHOTOMETRIC_RGB ? 3 : 1;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0 &&
        extraTypes && l.samples > l.colourSamples) {
        l.alpha =
            extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA;
        l.associated = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    return l;
}

// Layouts read line by line here; libtiff's RGBA interface takes the rest.
bool ReadsByLines(TIFF* tif, const Layout& l) {
    if (TIFFIsTiled(tif) || l.sampleFormat != SAMPLEFORMAT_UINT || (l.bits != 8 && l.bits != 16) ||
        (l.samples > 1 && l.planar != PLANARCONFIG_CONTIG)) {
        return false;
    }
    switch (l.photometric) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE:
            return l.samples >= 1;
        case PHOTOMETRIC_RGB:
            return l.samples >= 3;
        case PHOTOMETRIC_PALETTE:
            return l.bits == 8 && l.samples == 1;
        default:
            return false;
    }
}

// The palette as 8-bit R,G,B triples. Colour maps are 16-bit, written by some as v x 257 and by
// others as v x 256: the high byte is v in both. Some old writers store 8-bit values,
// recognised (as libtiff does) by no entry exceeding 255.
bool LoadPalette(TIFF* tif, std::vector<uint8_t>& palette) {
    uint16_t* channels[3] = {};
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &channels[0], &channels[1], &channels[2]))
        return false;
    bool eightBit = true;
    for (const uint16_t* channel : channels) {
        for (int i = 0; i < 256; ++i)
            eightBit = eightBit && channel[i] <= 255;
    }
    palette.resize(256 * 3);
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c) {
            const uint16_t v = channels[c][i];
            palette[i * 3 + c] = static_cast<uint8_t>(eightBit ? v : v >> 8);
        }
    }
    return true;
}

// Opacity already applied to the colour (associated alpha): what is left to cover is white.
uint8_t PremultipliedOnWhite(uint32_t c, uint32_t a) {
    return static_cast<uint8_t>(std::min<uint32_t>(255, c + 255 - a));
}

// One scanline of samples as R,G,B,A bytes.
void ConvertLine(const Layout& l, const uint8_t* line, const std::vector<uint8_t>& palette,
                 uint8_t* rgba) {
    const auto sample = [&](size_t i) -> uint8_t {
        if (l.bits == 8)
            return line[i];
        uint16_t v;
        std::memcpy(&v, line + i * 2, 2);
        return ReduceTo8Bits(v);
    };
    for (uint32_t x = 0; x < l.width; ++x, rgba += 4) {
        const size_t base = static_cast<size_t>(x) * l.samples;
        if (l.photometric == PHOTOMETRIC_PALETTE) {
            std::memcpy(rgba, &palette[static_cast<size_t>(line[base]) * 3], 3);
        } else if (l.colourSamples == 3) {
            for (int c = 0; c < 3; ++c)
                rgba[c] = sample(base + c);
        } else {
            uint8_t grey = sample(base);
            if (l.photometric == PHOTOMETRIC_MINISWHITE)
                grey = static_cast<uint8_t>(255 - grey);
            rgba[0] = rgba[1] = rgba[2] = grey;
        }
        rgba[3] = l.alpha ? sample(base + l.colourSamples) : 255;
        if (l.associated) {
            for (int c = 0; c < 3; ++c)
                rgba[c] = PremultipliedOnWhite(rgba[c], rgba[3]);
            rgba[3] = 255;
        }
    }
}

bool ReadLines(TIFF* tif, const Layout& l, RgbImage& image) {
    std::vector<uint8_t> palette;
    if (l.photometric == PHOTOMETRIC_PALETTE && !LoadPalette(tif, palette))
        return false;
    const uint64_t needed = uint64_t{l.width} * l.samples * (l.bits / 8);
    const uint64_t lineBytes = static_cast<uint64_t>(TIFFScanlineSize64(tif));
    if (lineBytes < needed || lineBytes > static_cast<uint64_t>(kMaxPixelDataBytes))
        return false;
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    std::vector<uint8_t> rgba(static_cast<size_t>(l.width) * 4);
    for (uint32_t row = 0; row < l.height; ++row) {
        if (TIFFReadScanline(tif, line.data(), row, 0) < 0)
            return false;
        ConvertLine(l, line.data(), palette, rgba.data());
        StoreRgbaOnWhite(rgba.data(), static_cast<int32_t>(l.width),
                         image.Row(static_cast<int32_t>(l.height - 1 - row)));
    }
    return true;
}

struct RgbaImageEnd {
    void operator()(TIFFRGBAImage* img) const { TIFFRGBAImageEnd(img); }
};

// Rows per call of the RGBA interface, whose raster holds 4 bytes a pixel. Each call decodes
// its strips from their first row, so a band as tall as the memory allows keeps a picture stored
// as one long compressed strip (common for fax files) from being decoded once per band.
uint32_t RgbaBandRows(uint32_t width, uint32_t height) {
    constexpr uint64_t kBandBytes = uint64_t{8} << 20;
    return static_cast<uint32_t>(
        std::clamp<uint64_t>(kBandBytes / (uint64_t{width} * 4), 1, height));
}

// libtiff gives associated (premultiplied) R,G,B,A packed into 32 bits, top row first.
bool ReadThroughRgba(TIFF* tif, const Layout& l, RgbImage& image, TiffMessages& messages) {
    char text[1024] = {};
    TIFFRGBAImage img{};
    if (!TIFFRGBAImageOK(tif, text) || !TIFFRGBAImageBegin(&img, tif, 1, text)) {
        if (messages.error.empty())
            messages.error = text;
        return false;
    }
    std::unique_ptr<TIFFRGBAImage, RgbaImageEnd> end(&img);
    // The pixels stay in the order they are stored, first row on top, as JPEG and PNG pictures
    // are read: the Orientation tag travels on with the metadata and tells a viewer how to turn
    // them. Asking for the file's own orientation makes libtiff flip nothing.
    img.req_orientation = l.orientation;
    const uint32_t band = RgbaBandRows(l.width, l.height);
    std::vector<uint32_t> raster(static_cast<size_t>(l.width) * band);
    for (uint32_t top = 0; top < l.height; top += band) {
        const uint32_t rows = std::min(band, l.height - top);
        img.row_offset = static_cast<int>(top);
        img.col_offset = 0;
        if (!TIFFRGBAImageGet(&img, raster.data(), l.width, rows))
            return false;
        for (uint32_t r = 0; r < rows; ++r) {
            uint8_t* out = image.Row(static_cast<int32_t>(l.height - 1 - top - r));
            const uint32_t* in = raster.data() + static_cast<size_t>(r) * l.width;
            for (uint32_t x = 0; x < l.width; ++x, out += 3) {
                const uint32_t a = TIFFGetA(in[x]);
                out[0] = PremultipliedOnWhite(TIFFGetB(in[x]), a);
                out[1] = PremultipliedOnWhite(TIFFGetG(in[x]), a);
                out[2] = PremultipliedOnWhite(TIFFGetR(in[x]), a);
            }
        }
    }
    return true;
}

void ApplyResolution(TIFF* tif, RgbImage& image) {
    float x = 0;
    float y = 0;
    uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) || !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y))
        return;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double perInch = unit == RESUNIT_INCH ? 1.0 : unit == RESUNIT_CENTIMETER ? 2.54 : 0.0;
    if (perInch == 0.0)
        return;
    image.SetHorizontalDpi(RoundedDpi(x * perInch));
    image.SetVerticalDpi(RoundedDpi(y * perInch));
}

}  // namespace

bool TiffCodec::Decode(ImageStream& stream, RgbImage& image) {
    image.Release();
    ClearFailure();
    TiffStreamState state;
    state.stream = &stream;
    const TiffHandle tif = OpenTiff(state, "r");
    if (!tif)
        return Fail(state.messages.Reason("Not a TIFF file"));
    const Layout layout = ReadLayout(tif.get());
    if (layout.width == 0 || layout.height == 0)
        return Fail(state.messages.Reason(kDamaged));
    // The picture, plus the working line or band beside it.
    const uint64_t working =
        uint64_t{layout.width} * layout.height * 3 + uint64_t{layout.width} * 8;
    if (working > static_cast<uint64_t>(kMaxPixelDataBytes) ||
        !image.Allocate(static_cast<int32_t>(layout.width), static_cast<int32_t>(layout.height),
                        24)) {
        return Fail(kTooLarge);
    }
    SetFileBitsPerPixel(layout.bits * layout.samples);
    const bool read = ReadsByLines(tif.get(), layout)
                          ? ReadLines(tif.get(), layout, image)
                          : ReadThroughRgba(tif.get(), layout, image, state.messages);
    if (!read) {
        image.Release();
        return Fail(state.messages.Reason(kDamaged));
    }
    ApplyResolution(tif.get(), image);
    return true;
}

}  // namespace lumivex
