// Decoding through libjpeg. No function here holds an object with a destructor: a fatal library
// error longjmps from deep inside these calls back to DecodeJpegPixels.
#include <climits>
#include <cstdint>

#include "image/jpeg_library.h"

namespace lumivex {

namespace {

void LoadGreyPalette(RgbImage* image) {
    uint8_t ramp[256];
    for (int i = 0; i < 256; ++i)
        ramp[i] = static_cast<uint8_t>(i);
    image->LoadPaletteChannels(256, ramp, nullptr, nullptr);
}

// Bytes of the whole-image coefficient buffers the library keeps for files of several scans
// (progressive ones): beside the picture, and sized by the header alone. Each component's
// blocks are rounded up to whole sampling units, as the library requests them.
int64_t CoefficientBufferBytes(j_decompress_ptr info) {
    if (!jpeg_has_multiple_scans(info))
        return 0;
    const auto roundUp = [](int64_t n, int64_t unit) { return (n + unit - 1) / unit * unit; };
    int64_t bytes = 0;
    for (int i = 0; i < info->num_components; ++i) {
        const jpeg_component_info& component = info->comp_info[i];
        bytes += roundUp(component.width_in_blocks, component.h_samp_factor) *
                 roundUp(component.height_in_blocks, component.v_samp_factor) *
                 static_cast<int64_t>(sizeof(JBLOCK));
    }
    return bytes;
}

// Refuses pictures beyond the size limit, and library working memory beyond its own bound, before
// the library allocates its buffers for them.
void AllocatePicture(j_decompress_ptr info, RgbImage* image) {
    const int components = info->output_components;
    if (components != 1 && components != 3 && components != 4) {
        FailJpeg(reinterpret_cast<j_common_ptr>(info), "Unsupported number of colour components");
    }
    const int bits = components == 1 ? 8 : 24;
    const int64_t bytes = static_cast<int64_t>(info->output_width) * info->output_height * bits / 8;
    if (info->output_width > INT32_MAX || info->output_height > INT32_MAX ||
        bytes > kMaxPixelDataBytes || CoefficientBufferBytes(info) > kMaxJpegWorkingBytes ||
        !image->Allocate(static_cast<int32_t>(info->output_width),
                         static_cast<int32_t>(info->output_height), bits)) {
        FailJpeg(reinterpret_cast<j_common_ptr>(info), "Picture too large for memory");
    }
    if (info->jpeg_color_space == JCS_GRAYSCALE || components == 1)
        LoadGreyPalette(image);
}

// c0, c1, c2 scaled by the fourth channel k, stored blue, green, red.
void StoreScaledCmyk(const JSAMPLE* in, uint8_t* out, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = in[3];
        out[0] = static_cast<uint8_t>(in[2] * k / 255);
        out[1] = static_cast<uint8_t>(in[1] * k / 255);
        out[2] = static_cast<uint8_t>(in[0] * k / 255);
    }
}

void ReadAllLines(j_decompress_ptr info, RgbImage* image) {
    const JDIMENSION rowBytes = info->output_width * info->output_components;
    JSAMPARRAY line =
        (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, rowBytes, 1);
    RowCursor cursor(*image);
    cursor.MoveToTop();
    while (info->output_scanline < info->output_height) {
        jpeg_read_scanlines(info, line, 1);
        if (cursor.RowPointer() != nullptr) {
            if (info->output_components == 4) {
                StoreScaledCmyk(line[0], cursor.RowPointer(), info->output_width);
            } else {
                cursor.WriteRow(line[0], static_cast<int32_t>(rowBytes));
            }
        }
        cursor.MoveDown();
    }
}

void SwapAllRows(RgbImage* image) {
    for (int32_t y = 0; y < image->Height(); ++y)
        SwapRedBlue(image->Row(y), image->Width() * 3);
}

}  // namespace

bool DecodeJpegPixels(JpegDecodeState* state, ImageStream* stream, RgbImage* image) {
    state->info.err = SetUpJpegErrors(&state->errors);
    if (setjmp(state->errors.jump)) {
        jpeg_destroy_decompress(&state->info);
        return false;
    }
    jpeg_create_decompress(&state->info);
    // Past this bound the library has no backing store and fails instead of allocating what a
    // header alone asks for.
    state->info.mem->max_memory_to_use = kMaxJpegWorkingBytes;
    InstallJpegSource(&state->info, &state->source, stream);
    jpeg_read_header(&state->info, TRUE);
    state->components = state->info.num_components;
    state->densityUnit = state->info.density_unit;
    state->xDensity = state->info.X_density;
    state->yDensity = state->info.Y_density;
    jpeg_calc_output_dimensions(&state->info);
    AllocatePicture(&state->info, image);
    jpeg_start_decompress(&state->info);
    ReadAllLines(&state->info, image);
    jpeg_finish_decompress(&state->info);
    if (state->info.output_components == 3)
        SwapAllRows(image);
    jpeg_destroy_decompress(&state->info);
    return true;
}

}  // namespace lumivex
