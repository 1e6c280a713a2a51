#include "image/jpeg_codec.h"

#include <cmath>
#include <memory>

#include "image/exif.h"
#include "image/jpeg_library.h"
#include "image/jpeg_sections.h"

namespace lumivex {

namespace {

// The EXIF search: only decides where the resolution comes from.
ExifInfo FindExif(ImageStream& stream) {
    JpegSectionScan scan;
    ScanJpegSections(stream, scan);
    return scan.info;
}

void ApplyResolution(const ExifInfo& exif, const JpegDecodeState& state, RgbImage& image) {
    if (exif.hasExif) {
        image.SetHorizontalDpi(ExifDpi(exif.xResolution, exif.unitFactor));
        image.SetVerticalDpi(ExifDpi(exif.yResolution, exif.unitFactor));
    } else if (state.densityUnit == 2) {  // dots per cm
        image.SetHorizontalDpi(static_cast<int32_t>(std::floor(state.xDensity * 2.54 + 0.5)));
        image.SetVerticalDpi(static_cast<int32_t>(std::floor(state.yDensity * 2.54 + 0.5)));
    } else {
        image.SetHorizontalDpi(state.xDensity);
        image.SetVerticalDpi(state.yDensity);
    }
}

}  // namespace

bool JpegCodec::Decode(ImageStream& stream, RgbImage& image) {
    image.Release();
    ClearFailure();
    const int64_t start = stream.Tell();
    if (start < 0)
        return Fail("cannot tell the stream position");
    const ExifInfo exif = FindExif(stream);
    if (!SeekTo(stream, start))
        return Fail("cannot seek back in the stream");

    // Library state lives on the heap and outside the function that sets the return point.
    const auto state = std::make_unique<JpegDecodeState>();
    if (!DecodeJpegPixels(state.get(), &stream, &image)) {
        image.Release();
        return Fail(state->errors.message);
    }
    ApplyResolution(exif, *state, image);
    SetFileBitsPerPixel(8 * state->components);
    if (state->errors.warningCode == JWRN_JPEG_EOF) {
        Warn(kEndsEarlyWarning);
    } else if (state->errors.warningCode != 0) {
        Warn(std::string("read, but its data is damaged in places (") + state->errors.warning +
             ")");
    }
    return true;
}

bool JpegCodec::Encode(ImageStream& stream, const RgbImage& image) {
    ClearFailure();
    if (image.IsEmpty() || image.BitsPerPixel() != 24 || image.Palette() != nullptr) {
        return Fail("only 24-bit pictures can be written as JPEG");
    }
    if (!stream.IsOpen())
        return Fail("stream not open");
    const auto state = std::make_unique<JpegEncodeState>();
    if (!EncodeJpegPixels(state.get(), &stream, &image))
        return Fail(state->errors.message);
    return true;
}

}  // namespace lumivex
