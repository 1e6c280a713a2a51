// The codec interface shared by the BMP, JPEG, PNG and TIFF codecs, and the choice of codec by
// a file name's extension. A codec object lives for one Decode or Encode call.
#pragma once

#include <memory>
#include <string>

#include "image/image_stream.h"
#include "image/rgb_image.h"

namespace lumivex {

class ImageCodec {
public:
    virtual ~ImageCodec() = default;

    // The codec's file extension with its dot: ".bmp", ".jpg", ".png" or ".tif".
    virtual const char* DefaultExtension() const = 0;
    // Short lower-case format name: "bmp", "jpeg", "png" or "tiff".
    virtual const char* FormatName() const = 0;
    // Reads one picture starting at the stream's current position. On failure the image is
    // empty and FailureReason() says why.
    virtual bool Decode(ImageStream& stream, RgbImage& image) = 0;
    // Writes the picture; false when it cannot be encoded or the stream refused the bytes.
    virtual bool Encode(ImageStream& stream, const RgbImage& image) = 0;

    // Why the last Decode or Encode failed (empty after a success). For logs and the
    // command-line tool; the desktop application shows no codec texts.
    const std::string& FailureReason() const { return reason_; }
    // What exactly is wrong with the file when FailureReason() is a fixed text that says less
    // (a BMP header with a negative width fails as "Can't allocate memory"); empty otherwise.
    const std::string& FailureDetail() const { return detail_; }
    // What was wrong with a file that still decoded (it ends early, its data is damaged in
    // places), worded for the command line; empty when nothing was.
    const std::string& Warning() const { return warning_; }
    // Bits per pixel as the file stores them (48 for 16-bit RGB, 8 for grey, 32 for RGBA or
    // CMYK) after a successful Decode; the picture itself holds at most 24.
    int32_t FileBitsPerPixel() const { return fileBits_; }

protected:
    bool Fail(std::string reason, std::string detail = {}) {
        reason_ = std::move(reason);
        detail_ = std::move(detail);
        return false;
    }
    void ClearFailure() {
        reason_.clear();
        detail_.clear();
        warning_.clear();
    }
    void SetFileBitsPerPixel(int32_t bits) { fileBits_ = bits; }
    // Keeps the first warning of a call.
    void Warn(std::string text) {
        if (warning_.empty())
            warning_ = std::move(text);
    }

private:
    std::string reason_;
    std::string detail_;
    std::string warning_;
    int32_t fileBits_ = 0;
};

// The warning of a file whose data stops before the picture does.
inline constexpr char kEndsEarlyWarning[] =
    "read, but the file ends early (the part of the picture it lacks is filled in)";

// The extension of the file-name part of path, from its last ".", lower-cased and with the
// dot (".jpeg"); empty when the name has none.
std::string LowerCaseExtension(const std::string& path);

// True for an extension (as LowerCaseExtension gives it) that names a picture format:
// ".bmp", ".jpg", ".jpeg", ".png", ".tif", ".tiff".
bool IsPictureExtension(const std::string& extension);
// True for ".jpg" and ".jpeg", the extensions written as JPEG.
bool IsJpegExtension(const std::string& extension);

// ".bmp" -> BMP, ".jpg"/".jpeg" -> JPEG, ".png" -> PNG, ".tif"/".tiff" -> TIFF (any case);
// nullptr for anything else.
std::unique_ptr<ImageCodec> CodecForReading(const std::string& path);
// The same choice for writing: nullptr for any other extension and for a name without one, so
// that no picture is written in a format its name does not say.
std::unique_ptr<ImageCodec> CodecForWriting(const std::string& path);
// The formats CodecForWriting knows, for messages that refuse a name:
// "BMP (.bmp), JPEG (.jpg, .jpeg), PNG (.png), TIFF (.tif, .tiff)".
const char* WritableFormatsText();
// "Cannot write PATH: its extension names no format Lumivex writes; use BMP (.bmp), ...".
std::string UnwritableNameText(const std::string& path);

}  // namespace lumivex
