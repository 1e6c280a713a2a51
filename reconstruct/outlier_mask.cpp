#include "reconstruct/outlier_mask.h"

#include <algorithm>

namespace lumivex::recon {

namespace {

constexpr int32_t kWindow = 2;    // half width of the averaging window
constexpr int32_t kDilation = 3;  // half width of the growth of the marked area
constexpr int32_t kRows = 8;      // rows per parallel block

// Calls body(row0, row1) for fixed blocks of rows, on the engine's threads.
template <typename Body>
void ForRowBlocks(int32_t height, const Body& body) {
    ForEachIndex((height + kRows - 1) / kRows, [&](int32_t block) {
        const int32_t row0 = block * kRows;
        body(row0, std::min(height, row0 + kRows));
    });
}

// over[x] = 1 where the window mean of residual² centred on (x, v) exceeds limit².
void MarkRow(const FloatPlane& residual, int32_t v, float limit, std::vector<float>& column,
             uint8_t* over) {
    const int32_t width = residual.cols;
    std::fill(column.begin(), column.end(), 0.0F);
    for (int32_t y = std::max(0, v - kWindow); y <= std::min(residual.rows - 1, v + kWindow); ++y) {
        const float* row = residual.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            column[x] += row[x] * row[x];
        }
    }
    const float bound = limit * limit * (2 * kWindow + 1) * (2 * kWindow + 1);
    for (int32_t x = 0; x < width; ++x) {
        float sum = 0.0F;
        for (int32_t i = std::max(0, x - kWindow); i <= std::min(width - 1, x + kWindow); ++i) {
            sum += column[i];
        }
        over[x] = sum > bound ? 1 : 0;
    }
}

}  // namespace

void MarkCoherentOutliers(const FloatPlane& residual, float limit, std::vector<uint8_t>& mask) {
    const int32_t width = residual.cols;
    const int32_t height = residual.rows;
    std::vector<uint8_t> over(static_cast<size_t>(width) * height);
    ForRowBlocks(height, [&](int32_t row0, int32_t row1) {
        std::vector<float> column(static_cast<size_t>(width));
        for (int32_t v = row0; v < row1; ++v) {
            MarkRow(residual, v, limit, column, over.data() + static_cast<size_t>(v) * width);
        }
    });
    // The growth, separably: along rows into grown, then along columns into mask.
    std::vector<uint8_t> grown(over.size());
    ForRowBlocks(height, [&](int32_t row0, int32_t row1) {
        for (int32_t v = row0; v < row1; ++v) {
            const uint8_t* in = over.data() + static_cast<size_t>(v) * width;
            uint8_t* out = grown.data() + static_cast<size_t>(v) * width;
            for (int32_t u = 0; u < width; ++u) {
                uint8_t any = 0;
                for (int32_t x = std::max(0, u - kDilation);
                     x <= std::min(width - 1, u + kDilation); ++x) {
                    any |= in[x];
                }
                out[u] = any;
            }
        }
    });
    mask.assign(over.size(), 0);
    ForRowBlocks(height, [&](int32_t row0, int32_t row1) {
        for (int32_t v = row0; v < row1; ++v) {
            uint8_t* out = mask.data() + static_cast<size_t>(v) * width;
            for (int32_t y = std::max(0, v - kDilation); y <= std::min(height - 1, v + kDilation);
                 ++y) {
                const uint8_t* in = grown.data() + static_cast<size_t>(y) * width;
                for (int32_t u = 0; u < width; ++u) {
                    out[u] |= in[u];
                }
            }
        }
    });
}

}  // namespace lumivex::recon
