// Picks the well-textured, well-separated reference points that registration tracks: a corner
// measure (the smallest of four directional energies) on a grid of overlapping blocks, a greedy
// choice of the strongest non-adjacent blocks, and a refinement of each to its most textured
// pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/plane.h"

namespace lumivex::engine {

inline constexpr int32_t kFeatureCount = 20;

// K rows × O columns of blocks over a width × height frame; block (r, c) is centred at column
// offsetX + c × blockWidth, row offsetY + r × blockHeight.
struct BlockGrid {
    int32_t rows = 0;
    int32_t cols = 0;
    int32_t blockWidth = 0;
    int32_t blockHeight = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;

    int32_t CentreColumn(int32_t col) const { return offsetX + col * blockWidth; }
    int32_t CentreRow(int32_t row) const { return offsetY + row * blockHeight; }
};

struct BlockScore {
    int32_t col = 0;
    int32_t row = 0;
    int32_t value = 0;
};

// A reference pixel (x = column, y = row) and its displacement in the current frame.
struct FeaturePoint {
    int32_t x = 0;
    int32_t y = 0;
    double dx = 0.0;
    double dy = 0.0;
};

BlockGrid MakeBlockGrid(int32_t width, int32_t height);

// rows × cols × 4 integer plane, channels stored plane after plane: the squared colour
// differences (/16) along the row, across rows, on the diagonal and on the anti-diagonal.
PlaneBuffer<int32_t> DirectionalDifferences(BytePlane reference);
// K × O × 1: per block, the smallest direction sum over its 2bw × 2bh window / (bw × bh).
PlaneBuffer<int32_t> BlockInterest(const PlaneBuffer<int32_t>& directions, const BlockGrid& grid);
// Every block, strongest first; among equal values the block visited later comes first.
std::vector<BlockScore> SortBlocks(IntPlane interest);
// Up to kFeatureCount blocks, none within one block of another; unfilled entries are (0, 0).
std::vector<BlockScore> SelectStrongest(const std::vector<BlockScore>& sorted);
// Summed-area table of the four direction channels added together, so that RefineFeature's
// window totals cost four look-ups each.
class TextureSums {
public:
    explicit TextureSums(const PlaneBuffer<int32_t>& directions);
    // Total of all four channels over rows r0 … r1 and columns c0 … c1, both inclusive.
    int64_t WindowTotal(int32_t r0, int32_t r1, int32_t c0, int32_t c1) const;

private:
    PlaneBuffer<int64_t> table_;  // (rows + 1) × (cols + 1); entry (r, c) sums rows < r, cols < c
};

// The most textured pixel near the block's centre, or the block indices when none scores.
FeaturePoint RefineFeature(const TextureSums& sums, const BlockGrid& grid, const BlockScore& block);
// The kFeatureCount points of a reference already smoothed by Smooth2x2, dx = dy = 0.
std::vector<FeaturePoint> SelectFeatures(BytePlane reference);

}  // namespace lumivex::engine
