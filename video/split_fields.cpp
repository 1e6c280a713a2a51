#include "video/split_fields.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/parallel.h"

namespace lumivex::video {

void SplitFields(RgbImage& image) {
    if (image.IsEmpty()) {
        return;
    }
    const size_t size = static_cast<size_t>(image.Stride()) * std::abs(image.Height());
    const std::vector<uint8_t> rows(image.Bits(), image.Bits() + size);
    CopySplittingFields(rows.data(), size, image);
}

void CopySplittingFields(const uint8_t* rows, size_t length, RgbImage& image) {
    if (image.IsEmpty()) {
        return;
    }
    const int32_t height = std::abs(image.Height());
    const int32_t half = height / 2;
    const size_t stride = static_cast<size_t>(image.Stride());
    const auto copied =
        static_cast<int32_t>(std::min<size_t>(height, (length + stride - 1) / stride));
    // The rows go out over the engine's threads: most of the time is the first touch of the
    // freshly allocated picture's pages, which the threads take in parallel.
    engine::ParallelFor(
        copied, 64,
        [&](int32_t begin, int32_t end) {
            for (int32_t row = begin; row < end; ++row) {
                // The odd height's last row belongs to neither field and stays in place.
                const int32_t to =
                    row >= 2 * half ? row : (row % 2 == 0 ? row / 2 : half + row / 2);
                const size_t from = stride * row;
                std::memcpy(image.Row(to), rows + from, std::min(stride, length - from));
            }
        },
        1);
}

}  // namespace lumivex::video
