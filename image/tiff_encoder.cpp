// Writing TIFF files: 8-bit RGB, deflate with horizontal differencing, resolution in inches.
#include <vector>

#include "image/picture_rows.h"
#include "image/tiff_codec.h"
#include "image/tiff_stream.h"

namespace lumivex {

namespace {

bool WriteTags(TIFF* tif, const RgbImage& image) {
    const auto width = static_cast<uint32_t>(image.Width());
    const auto height = static_cast<uint32_t>(image.Height());
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) == 1;
    ok = ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0)) == 1;
    if (image.HorizontalDpi() > 0 && image.VerticalDpi() > 0) {
        ok = ok &&
             TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(image.HorizontalDpi())) == 1;
        ok = ok &&
             TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(image.VerticalDpi())) == 1;
        ok = ok && TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) == 1;
    }
    return ok;
}

bool WriteRows(TIFF* tif, const RgbImage& image) {
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
    for (int32_t row = 0; row < height; ++row) {
        LoadRgbRow(image.Row(height - 1 - row), width, rgb.data());
        if (TIFFWriteScanline(tif, rgb.data(), static_cast<uint32_t>(row), 0) < 0)
            return false;
    }
    return true;
}

}  // namespace

bool TiffCodec::Encode(ImageStream& stream, const RgbImage& image) {
    ClearFailure();
    if (image.IsEmpty() || image.BitsPerPixel() != 24)
        return Fail("Only 24-bit pictures can be written as TIFF");
    TiffStreamState state;
    state.stream = &stream;
    TiffHandle tif = OpenTiff(state, "w");
    if (!tif)
        return Fail(state.messages.Reason("The TIFF data could not be written"));
    // TIFFFlush writes the directory; closing afterwards cannot fail any more.
    const bool ok =
        WriteTags(tif.get(), image) && WriteRows(tif.get(), image) && TIFFFlush(tif.get()) == 1;
    tif.reset();
    if (!ok)
        return Fail(state.messages.Reason("The TIFF data could not be written"));
    return true;
}

}  // namespace lumivex
