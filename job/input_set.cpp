#include "job/input_set.h"

#include <sys/stat.h>

#include "image/image_codec.h"
#include "image/image_stream.h"
#include "image/read_image.h"
#include "image/rgb_image.h"
#include "job/job.h"

namespace lumivex {

namespace {

constexpr char kUnknownFormat[] = "Unknown file format";
constexpr char kDimensionMismatch[] = "Sorry, the input images should have same dimension.";

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Converts a decoded picture to a packed 24-bit member; false when it cannot become one.
bool ConvertToMember(RgbImage& image) {
    if (image.BitsPerPixel() < 24 && !image.PromoteDepth(24)) {
        return false;
    }
    const int32_t width = image.Width();
    if (width % 4 != 0 &&
        !CropToSize(nullptr, image, width - width % 4, image.Height(), 0, nullptr)) {
        return false;
    }
    return image.BitsPerPixel() == 24 && image.Stride() == image.Width() * 3;
}

}  // namespace

bool IsImageSetFileName(const std::string& name) {
    return IsPictureExtension(LowerCaseExtension(name));
}

bool AddImageFile(EnhanceJob& job, const std::string& path, MessageSink& messages) {
    job.inputKind = kInputImageSet;
    if (!IsRegularFile(path)) {
        return false;
    }
    std::unique_ptr<ImageCodec> codec = CodecForReading(path);
    if (!codec) {
        messages.ShowMessage(kUnknownFormat, {}, MessageIcon::kError);
        return false;
    }
    auto image = std::make_unique<RgbImage>();
    {
        FileImageStream stream;
        if (!stream.Open(path, FileImageStream::Mode::kReadExisting) ||
            !codec->Decode(stream, *image)) {
            image->Release();
        }
    }
    // Other unreadable files are skipped silently; one refused for its size is worth a word.
    const bool tooLarge = image->IsEmpty() && RefusedForSize(*codec);
    codec.reset();
    if (tooLarge) {
        messages.ShowMessage(TooLargeText(), {}, MessageIcon::kError);
    }
    if (image->IsEmpty()) {
        return false;
    }
    return AddImage(job, std::move(image), path, messages);
}

bool AddImage(EnhanceJob& job, std::unique_ptr<RgbImage> image, const std::string& name,
              MessageSink& messages) {
    if (!image || image->IsEmpty() || image->Width() <= 0 || image->Height() <= 0) {
        return false;
    }
    // The first member decides the size (and becomes the reference below).
    if (job.FrameCount() > 0 &&
        (image->Width() / 4 * 4 != job.width || image->Height() != job.height)) {
        messages.ShowMessage(kDimensionMismatch, {}, MessageIcon::kError);
        return false;
    }
    if (!ConvertToMember(*image)) {
        return false;
    }
    job.frames.push_back(std::move(image));
    job.names.push_back(name);
    if (job.FrameCount() == 1) {
        job.width = job.frames.front()->Width();
        job.height = job.frames.front()->Height();
        job.referenceIndex = 0;
    }
    return true;
}

bool AddImage(EnhanceJob& job, RgbImage& image, const std::string& name, MessageSink& messages) {
    auto owned = std::make_unique<RgbImage>();
    owned->TakeFrom(image);
    return AddImage(job, std::move(owned), name, messages);
}

bool AddImage(EnhanceJob& job, RgbImage&& image, const std::string& name, MessageSink& messages) {
    return AddImage(job, image, name, messages);
}

std::string ReferencePicturePath(const EnhanceJob& job) {
    const bool imageSet =
        job.inputKind == kInputImageSet || job.inputKind == kInputImageSetSelection;
    if (!imageSet || job.referenceIndex < 0 ||
        job.referenceIndex >= static_cast<int32_t>(job.names.size())) {
        return {};
    }
    return job.names[job.referenceIndex];
}

}  // namespace lumivex
