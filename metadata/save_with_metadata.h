// Saving a result picture with the metadata of the picture it was made from.
#pragma once

#include <string>
#include <vector>

#include "image/rgb_image.h"
#include "metadata/picture_metadata.h"

namespace lumivex {

// True when the format SaveImageToPath chooses for path can carry metadata (JPEG, PNG, TIFF).
bool FormatCarriesMetadata(const std::string& path);

// The metadata of the picture at source that a result saved under output would carry: none when
// source is empty or output's format carries none (source is then not read), else what
// ReadPictureMetadata gives, its problems added to warnings.
PictureMetadata MetadataToCarry(const std::string& source, const std::string& output,
                                std::vector<std::string>* warnings);

// SaveImageToPath, with metadata written into the picture when its format can carry it (its
// dimensions and resolution those of image). A metadata that cannot be written never fails the
// save: the picture is written without it and warnings (when given) say so. Returns false, with
// error set, only when the picture itself could not be written.
bool SaveImageWithMetadata(const RgbImage& image, const std::string& path,
                           const PictureMetadata& metadata, std::vector<std::string>* warnings,
                           std::string* error);

}  // namespace lumivex
