// Reorders a picture's stored rows into its two interlaced fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/rgb_image.h"

namespace lumivex::video {

// In place: the even stored rows 0, 2, 4, ... move to stored rows 0 ... h/2 - 1 (the first
// field), the odd stored rows 1, 3, 5, ... to stored rows h/2 ... 2 (h/2) - 1 (the second field).
// Stored row 0 is the bottom line of the picture. For an odd height the last stored row stays
// where it was; an empty image is left alone.
void SplitFields(RgbImage& image);

// Copies length bytes of stored rows (the image's own stride and height) into image, each row
// straight to the place SplitFields would move it to; rows past length are left as they are.
void CopySplittingFields(const uint8_t* rows, size_t length, RgbImage& image);

}  // namespace lumivex::video
