#include "bench/quality_sets.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/read_image.h"
#include "image/save_image.h"

namespace lumivex::bench {

namespace {

namespace fs = std::filesystem;

bool ReadPicture(const std::string& path, Picture& out, std::string* why) {
    RgbImage image;
    std::string error;
    if (!ReadImageFile(path, image, &error)) {
        *why = path + ": " + error;
        return false;
    }
    if (image.BitsPerPixel() != 24 && !image.PromoteDepth(24)) {
        *why = path + ": not a 24-bit picture";
        return false;
    }
    out.width = image.Width();
    out.height = image.Height();
    const size_t rowBytes = static_cast<size_t>(out.width) * 3;
    out.pixels.resize(rowBytes * out.height);
    for (int32_t y = 0; y < out.height; ++y) {
        std::memcpy(&out.pixels[rowBytes * y], image.Row(y), rowBytes);
    }
    return true;
}

bool IsPicture(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    return ext == ".bmp" || ext == ".jpg" || ext == ".jpeg";
}

// The frame files and the scale named in offsets.csv (columns file, frame, dx_lr, dy_lr,
// rotation_deg, scale, ...), in the order of the frame column.
bool ReadOffsets(const fs::path& csv, std::vector<std::string>& files, int32_t& scale) {
    std::ifstream in(csv);
    std::string line;
    if (!std::getline(in, line)) {
        return false;
    }
    std::vector<std::pair<int, std::string>> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ',');) {
            cells.push_back(cell);
        }
        if (cells.size() < 6) {
            continue;
        }
        rows.emplace_back(std::atoi(cells[1].c_str()), cells[0]);
        scale = std::max(1, std::atoi(cells[5].c_str()));
    }
    std::sort(rows.begin(), rows.end());
    for (const auto& row : rows) {
        files.push_back(row.second);
    }
    return !files.empty();
}

}  // namespace

bool LoadSrSet(const std::string& folder, int32_t defaultScale, SrSet& set, std::string* why) {
    const fs::path dir(folder);
    set = SrSet{};
    set.name = fs::path(folder).lexically_normal().filename().string();
    if (set.name.empty()) {
        set.name = fs::path(folder).lexically_normal().parent_path().filename().string();
    }
    set.scale = defaultScale;
    std::vector<std::string> files;
    std::error_code ec;
    if (!ReadOffsets(dir / "offsets.csv", files, set.scale)) {
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            if (IsPicture(entry.path()) && entry.path().stem() != "hr_groundtruth") {
                files.push_back(entry.path().filename().string());
            }
        }
        std::sort(files.begin(), files.end());
    }
    if (files.empty()) {
        *why = folder + ": no frames";
        return false;
    }
    for (const std::string& file : files) {
        set.frames.emplace_back();
        if (!ReadPicture((dir / file).string(), set.frames.back(), why)) {
            return false;
        }
        if (set.frames.back().width != set.frames[0].width ||
            set.frames.back().height != set.frames[0].height) {
            *why = folder + ": " + file + " differs in size from the first frame";
            return false;
        }
    }
    const fs::path truth = dir / "hr_groundtruth.bmp";
    if (fs::exists(truth, ec)) {
        if (!ReadPicture(truth.string(), set.truth, why)) {
            return false;
        }
        if (set.truth.width != set.scale * set.frames[0].width ||
            set.truth.height != set.scale * set.frames[0].height) {
            *why = folder + ": the truth is not " + std::to_string(set.scale) + "× the frames";
            return false;
        }
    }
    return true;
}

bool SavePicture(const Picture& p, const std::string& path, std::string* why) {
    RgbImage image(p.width, p.height, 24);
    if (image.IsEmpty()) {
        *why = path + ": no memory for the picture";
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(p.width) * 3;
    for (int32_t y = 0; y < p.height; ++y) {
        std::memcpy(image.Row(y), &p.pixels[rowBytes * y], rowBytes);
    }
    return SaveImageToPath(image, path, why);
}

}  // namespace lumivex::bench
