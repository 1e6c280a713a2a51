// The metadata lumivex-cli carries from an input picture to the picture it writes, with the
// problems it meets printed on stderr as "lumivex-cli: FILE: text".
#pragma once

#include <string>

#include "image/rgb_image.h"
#include "metadata/picture_metadata.h"

namespace lumivex::cli {

// The metadata of the picture at path that output will carry; none when path is empty, strip is
// set or output's format carries none.
PictureMetadata CarriedMetadata(const std::string& path, const std::string& output, bool strip);

// SaveImageWithMetadata, its warnings printed; *reason says why the picture was not written
// ("permission denied").
bool SaveCarryingMetadata(const RgbImage& image, const std::string& path,
                          const PictureMetadata& metadata, std::string* reason);

}  // namespace lumivex::cli
