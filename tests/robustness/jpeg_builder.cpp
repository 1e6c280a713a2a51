#include "tests/robustness/jpeg_builder.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include <jpeglib.h>

namespace lumivex::robustness {

Bytes BuildJpeg(const JpegFields& fields) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(fields.width);
    info.image_height = static_cast<JDIMENSION>(fields.height);
    info.input_components = fields.grey ? 1 : 3;
    info.in_color_space = fields.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 80, TRUE);
    if (fields.fullChroma) {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
    if (fields.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(fields.width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<uint8_t>(i * 3 + info.next_scanline * 5);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

bool SetJpegFrameSize(Bytes& jpeg, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            PutBe16(jpeg, i + 5, height);
            PutBe16(jpeg, i + 7, width);
            return true;
        }
    }
    return false;
}

// The pieces are copied into a vector of the final size: gcc 12 at -O3 warns falsely
// (-Warray-bounds) about inserting behind a short vector.
Bytes WithExif(const Bytes& jpeg, const Bytes& tiff) {
    const uint8_t header[] = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    Bytes out(jpeg.size() + sizeof header + tiff.size());
    auto at = std::copy(jpeg.begin(), jpeg.begin() + 2, out.begin());
    at = std::copy(std::begin(header), std::end(header), at);
    at = std::copy(tiff.begin(), tiff.end(), at);
    std::copy(jpeg.begin() + 2, jpeg.end(), at);
    PutBe16(out, 4, static_cast<uint16_t>(sizeof header + tiff.size() - 2));
    return out;
}

uint32_t TiffExtraOffset(size_t entryCount) {
    return static_cast<uint32_t>(8 + 2 + entryCount * 12 + 4);
}

Bytes BuildTiff(const std::vector<TiffEntry>& entries, const Bytes& extra) {
    const uint8_t header[] = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const size_t extraAt = TiffExtraOffset(entries.size());
    Bytes tiff(extraAt + extra.size(), 0);
    std::copy(std::begin(header), std::end(header), tiff.begin());
    PutLe16(tiff, 8, static_cast<uint16_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t at = 10 + i * 12;
        PutLe16(tiff, at, entries[i].tag);
        PutLe16(tiff, at + 2, entries[i].format);
        PutLe32(tiff, at + 4, entries[i].count);
        PutLe32(tiff, at + 8, entries[i].value);
    }
    std::copy(extra.begin(), extra.end(), tiff.begin() + static_cast<std::ptrdiff_t>(extraAt));
    return tiff;
}

}  // namespace lumivex::robustness
