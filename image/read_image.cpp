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
                   std::string* format) {
    out.Release();
    const std::unique_ptr<ImageCodec> codec = CodecForReading(path);
    if (!codec)
        return Report(error, "Unknown file format");
    if (format)
        *format = codec->FormatName();
    FileImageStream stream;
    if (!stream.Open(path, FileImageStream::Mode::kReadExisting)) {
        return Report(error, std::strerror(stream.Error()));
    }
    if (!codec->Decode(stream, out))
        return Report(error, codec->FailureReason());
    return true;
}

}  // namespace lumivex
