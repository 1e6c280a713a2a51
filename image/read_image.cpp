#include "image/read_image.h"

#include <cstring>

#include "image/image_codec.h"
#include "image/image_stream.h"

namespace lumivex {

namespace {

bool Report(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
    return false;
}

}  // namespace

bool ReadImageFile(const std::string& path, RgbImage& out, std::string* error,
                   ImageFileFacts* facts) {
    out.Release();
    const std::unique_ptr<ImageCodec> codec = CodecForReading(path);
    if (!codec)
        return Report(error, "Unknown file format");
    if (facts)
        facts->format = codec->FormatName();
    FileImageStream stream;
    if (!stream.Open(path, FileImageStream::Mode::kReadExisting)) {
        return Report(error, std::strerror(stream.Error()));
    }
    if (!codec->Decode(stream, out)) {
        if (RefusedForSize(*codec))
            return Report(error, TooLargeText());
        const std::string& detail = codec->FailureDetail();
        return Report(error, detail.empty() ? codec->FailureReason() : detail);
    }
    if (facts) {
        facts->warning = codec->Warning();
        facts->fileBitsPerPixel = codec->FileBitsPerPixel();
    }
    return true;
}

bool RefusedForSize(const ImageCodec& codec) {
    // The BMP codec's text, and the JPEG, PNG and TIFF codecs' one, for a picture they could
    // not allocate; with a detail, the header was at fault rather than the size.
    const std::string& reason = codec.FailureReason();
    return codec.FailureDetail().empty() &&
           (reason == "Can't allocate memory" || reason == "Picture too large for memory");
}

std::string TooLargeText() {
    return "The picture is too large: a picture may hold at most " +
           std::to_string(kMaxPixelDataBytes) + " bytes of pixels.";
}

}  // namespace lumivex
