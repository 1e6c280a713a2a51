// Input image sets: how still pictures enter the frames of an EnhanceJob. Every member ends up a
// 24-bit picture of the set's size whose width is a multiple of 4 (rows packed, as the engine
// needs). The first member decides the size and becomes the reference.
#pragma once

#include <memory>
#include <string>

#include "image/message_sink.h"

namespace lumivex {

class RgbImage;
struct EnhanceJob;

// Marks the job as holding an image set, decodes path with the codec its extension names
// (".bmp", ".jpg", ".jpeg", ".png", ".tif", ".tiff", any case) and adds the picture with AddImage.
// False when nothing was added: a missing path or a folder and an undecodable file silently, any
// other extension with "Unknown file format", a size unlike the set's with the message of AddImage.
bool AddImageFile(EnhanceJob& job, const std::string& path, MessageSink& messages);

// Takes ownership of image and appends it to the set under name, promoted to 24 bits and cut to
// a width that is a multiple of 4 (the dropped columns shared between both edges). Refused,
// with "Sorry, the input images should have same dimension.", when its rounded width or its
// height differs from the set's; refused silently when it is empty or cannot be converted.
bool AddImage(EnhanceJob& job, std::unique_ptr<RgbImage> image, const std::string& name,
              MessageSink& messages);
// The same for a picture held by the caller; it ends empty either way.
bool AddImage(EnhanceJob& job, RgbImage& image, const std::string& name, MessageSink& messages);
bool AddImage(EnhanceJob& job, RgbImage&& image, const std::string& name, MessageSink& messages);

// True when name ends in ".bmp", ".jpg", ".jpeg", ".png", ".tif" or ".tiff" (any case): the open
// command treats such a selection as an image set rather than a video.
bool IsImageSetFileName(const std::string& name);

}  // namespace lumivex
