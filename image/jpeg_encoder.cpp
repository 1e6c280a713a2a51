// Encoding through libjpeg. No function here holds an object with a destructor: a fatal library
// error longjmps from deep inside these calls back to EncodeJpegPixels.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "image/jpeg_codec.h"
#include "image/jpeg_library.h"

namespace lumivex {

namespace {

std::atomic<int> g_quality{kDefaultJpegQuality};

// The JFIF density field holds 16 bits; larger resolutions are stored as the largest it holds.
UINT16 DensityFromDpi(int32_t dpi) {
    return static_cast<UINT16>(std::clamp(dpi, 0, 65535));
}

void WriteAllLines(j_compress_ptr info, const RgbImage* image) {
    const int32_t stride = image->Stride();
    // SwapRedBlue may touch two bytes past a stride that is not a multiple of 3.
    JSAMPARRAY line = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                                 static_cast<JDIMENSION>(stride + 8), 1);
    for (int32_t y = image->Height() - 1; y >= 0; --y) {
        std::memcpy(line[0], image->Row(y), static_cast<size_t>(stride));
        SwapRedBlue(line[0], stride);
        jpeg_write_scanlines(info, line, 1);
    }
}

}  // namespace

void SetJpegQuality(int quality) {
    g_quality = std::clamp(quality, 1, 100);
}

int JpegQuality() {
    return g_quality.load();
}

bool EncodeJpegPixels(JpegEncodeState* state, ImageStream* stream, const RgbImage* image) {
    state->info.err = SetUpJpegErrors(&state->errors);
    if (setjmp(state->errors.jump)) {
        jpeg_destroy_compress(&state->info);
        return false;
    }
    jpeg_create_compress(&state->info);
    InstallJpegDestination(&state->info, &state->destination, stream);
    state->info.image_width = static_cast<JDIMENSION>(image->Width());
    state->info.image_height = static_cast<JDIMENSION>(image->Height());
    state->info.input_components = 3;
    state->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&state->info);
    jpeg_set_quality(&state->info, JpegQuality(), TRUE);
    state->info.density_unit = 1;
    state->info.X_density = DensityFromDpi(image->HorizontalDpi());
    state->info.Y_density = DensityFromDpi(image->VerticalDpi());
    jpeg_start_compress(&state->info, TRUE);
    WriteAllLines(&state->info, image);
    jpeg_finish_compress(&state->info);
    jpeg_destroy_compress(&state->info);
    return true;
}

}  // namespace lumivex
