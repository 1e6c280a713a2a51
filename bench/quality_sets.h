// A ground-truth set on disk: the frames named in offsets.csv (frame 00, the reference, first)
// and hr_groundtruth.bmp. A folder without offsets.csv is read as a plain sequence: its .bmp and
// .jpg files in name order, with no truth.
#pragma once

#include <string>
#include <vector>

#include "bench/bench_inputs.h"

namespace lumivex::bench {

struct SrSet {
    std::string name;             // the folder's last component
    std::vector<Picture> frames;  // B, G, R, rows in stored (bottom-up) order, packed
    Picture truth;                // empty (width 0) when the folder has none
    int32_t scale = 2;
};

// False with why set when a frame or the truth cannot be read or the sizes disagree.
bool LoadSrSet(const std::string& folder, int32_t defaultScale, SrSet& set, std::string* why);

// Writes p (stored row order, as LoadSrSet reads) as a 24-bit BMP or JPEG, by extension.
bool SavePicture(const Picture& p, const std::string& path, std::string* why);

}  // namespace lumivex::bench
