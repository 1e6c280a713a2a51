#include "engine/features.h"

#include <algorithm>
#include <cstdlib>

#include "engine/parallel.h"

namespace lumivex::engine {

namespace {

constexpr int32_t kDirections = 4;

// Direction planes keep their channels one after another: all of channel 0, then channel 1, …
int32_t* DirectionChannel(const PlaneBuffer<int32_t>& directions, int32_t channel) {
    const IntPlane p = directions.view();
    return p.data + static_cast<size_t>(channel) * p.PixelCount();
}

int32_t ColourDistance(const uint8_t* a, const uint8_t* b) {
    int32_t sum = 0;
    for (int32_t ch = 0; ch < 3; ++ch) {
        const int32_t d = a[ch] - b[ch];
        sum += d * d;
    }
    return sum;
}

}  // namespace

BlockGrid MakeBlockGrid(int32_t width, int32_t height) {
    BlockGrid grid;
    grid.rows = (30 * (height + width)) / (4 * width);
    grid.cols = (30 * (height + width)) / (4 * height);
    grid.blockWidth = (width - 4) / (grid.cols + 2);
    grid.blockHeight = (height - 4) / (grid.rows + 2);
    grid.offsetX = (width - grid.blockWidth * (grid.cols - 1)) / 2;
    grid.offsetY = (height - grid.blockHeight * (grid.rows - 1)) / 2;
    return grid;
}

PlaneBuffer<int32_t> DirectionalDifferences(BytePlane reference) {
    PlaneBuffer<int32_t> directions(reference.rows, reference.cols, kDirections);
    int32_t* along = DirectionChannel(directions, 0);
    int32_t* across = DirectionChannel(directions, 1);
    int32_t* diagonal = DirectionChannel(directions, 2);
    int32_t* anti = DirectionChannel(directions, 3);
    ParallelFor(reference.rows - 1, 8, [&](int32_t begin, int32_t end) {
        for (int32_t r = begin; r < end; ++r) {
            for (int32_t c = 0; c + 1 < reference.cols; ++c) {
                const uint8_t* here = &reference.At(r, c);
                const uint8_t* right = &reference.At(r, c + 1);
                const uint8_t* below = &reference.At(r + 1, c);
                const uint8_t* belowRight = &reference.At(r + 1, c + 1);
                const size_t i = static_cast<size_t>(r) * reference.cols + c;
                along[i] = ColourDistance(here, right) / 16;
                across[i] = ColourDistance(here, below) / 16;
                diagonal[i] = ColourDistance(here, belowRight) / 16;
                anti[i] = ColourDistance(below, right) / 16;
            }
        }
    });
    return directions;
}

PlaneBuffer<int32_t> BlockInterest(const PlaneBuffer<int32_t>& directions, const BlockGrid& grid) {
    PlaneBuffer<int32_t> interest(grid.rows, grid.cols, 1);
    const int32_t cols = directions.view().cols;
    const auto area = static_cast<uint64_t>(grid.blockWidth) * grid.blockHeight;
    ParallelFor(grid.rows * grid.cols, 1, [&](int32_t begin, int32_t end) {
        for (int32_t b = begin; b < end; ++b) {
            const int32_t r = b / grid.cols;
            const int32_t c = b % grid.cols;
            const int32_t top = grid.CentreRow(r) - grid.blockHeight;
            const int32_t left = grid.CentreColumn(c) - grid.blockWidth;
            uint64_t smallest = UINT64_MAX;
            for (int32_t ch = 0; ch < kDirections; ++ch) {
                const int32_t* channel = DirectionChannel(directions, ch);
                uint64_t sum = 0;
                for (int32_t y = top; y < top + 2 * grid.blockHeight; ++y) {
                    const int32_t* row = channel + static_cast<size_t>(y) * cols;
                    for (int32_t x = left; x < left + 2 * grid.blockWidth; ++x) {
                        sum += static_cast<uint64_t>(row[x]);
                    }
                }
                smallest = std::min(smallest, sum);
            }
            interest.view().At(r, c) = static_cast<int32_t>(smallest / area);
        }
    });
    return interest;
}

std::vector<BlockScore> SortBlocks(IntPlane interest) {
    // Inserting each block (row by row) ahead of every entry whose value is less than or equal
    // to its own puts the strongest first and, among equal values, the block visited later
    // first. A stable sort of the reversed visiting order gives the same list in n log n.
    std::vector<BlockScore> sorted;
    sorted.reserve(interest.PixelCount());
    for (int32_t r = interest.rows - 1; r >= 0; --r) {
        for (int32_t c = interest.cols - 1; c >= 0; --c) {
            sorted.push_back({c, r, interest.At(r, c)});
        }
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const BlockScore& a, const BlockScore& b) { return a.value > b.value; });
    return sorted;
}

std::vector<BlockScore> SelectStrongest(const std::vector<BlockScore>& sorted) {
    std::vector<BlockScore> taken;
    for (const BlockScore& candidate : sorted) {
        if (static_cast<int32_t>(taken.size()) == kFeatureCount) {
            break;
        }
        const bool crowded = std::any_of(taken.begin(), taken.end(), [&](const BlockScore& t) {
            return std::abs(t.row - candidate.row) <= 1 && std::abs(t.col - candidate.col) <= 1;
        });
        if (!crowded) {
            taken.push_back(candidate);
        }
    }
    taken.resize(kFeatureCount);  // unfilled entries stay (col 0, row 0)
    return taken;
}

TextureSums::TextureSums(const PlaneBuffer<int32_t>& directions) {
    const IntPlane d = directions.view();
    table_ = PlaneBuffer<int64_t>(d.rows + 1, d.cols + 1, 1);
    const Plane<int64_t> t = table_.view();
    for (int32_t r = 0; r < d.rows; ++r) {
        int64_t rowSum = 0;
        for (int32_t c = 0; c < d.cols; ++c) {
            const size_t i = static_cast<size_t>(r) * d.cols + c;
            for (int32_t ch = 0; ch < kDirections; ++ch) {
                rowSum += DirectionChannel(directions, ch)[i];
            }
            t.At(r + 1, c + 1) = t.At(r, c + 1) + rowSum;
        }
    }
}

int64_t TextureSums::WindowTotal(int32_t r0, int32_t r1, int32_t c0, int32_t c1) const {
    const Plane<int64_t> t = table_.view();
    return t.At(r1 + 1, c1 + 1) - t.At(r0, c1 + 1) - t.At(r1 + 1, c0) + t.At(r0, c0);
}

FeaturePoint RefineFeature(const TextureSums& sums, const BlockGrid& grid,
                           const BlockScore& block) {
    const int32_t bw = grid.blockWidth;
    const int32_t bh = grid.blockHeight;
    const int32_t centreRow = grid.CentreRow(block.row);
    const int32_t centreCol = grid.CentreColumn(block.col);
    FeaturePoint point{block.col, block.row, 0.0, 0.0};
    int64_t best = 0;
    for (int32_t y = centreRow - bh / 2; y <= centreRow + bh / 2; ++y) {
        for (int32_t x = centreCol - bw / 2; x <= centreCol + bw / 2; ++x) {
            int64_t score = 0;
            for (int32_t u = 16; u >= 2; u /= 2) {
                score += sums.WindowTotal(y - bh / u, y + bh / u, x - bw / u, x + bw / u);
            }
            if (score > best) {
                best = score;
                point.x = x;
                point.y = y;
            }
        }
    }
    return point;
}

std::vector<FeaturePoint> SelectFeatures(BytePlane reference) {
    const BlockGrid grid = MakeBlockGrid(reference.cols, reference.rows);
    const PlaneBuffer<int32_t> directions = DirectionalDifferences(reference);
    const PlaneBuffer<int32_t> interest = BlockInterest(directions, grid);
    const TextureSums sums(directions);
    const std::vector<BlockScore> blocks = SelectStrongest(SortBlocks(interest.view()));
    std::vector<FeaturePoint> points(blocks.size());
    ParallelFor(static_cast<int32_t>(blocks.size()), 1, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            points[k] = RefineFeature(sums, grid, blocks[k]);
        }
    });
    return points;
}

}  // namespace lumivex::engine
