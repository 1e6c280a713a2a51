// Shared fixtures of the enhance tests: a temporary folder with profile files, and jobs holding
// generated frames.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "job/job.h"
#include "profiles/profile_list.h"

namespace lumivex::testing_support {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lumivex-enhance-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

    // Writes a profile file and returns its path.
    std::string WriteProfile(const std::string& name, const std::string& text) const {
        const std::string path = File(name + ".ini");
        std::ofstream(path) << text;
        return path;
    }

private:
    std::filesystem::path path_;
};

// count frames of width x height in a gentle gradient, the first one the reference.
inline void FillJob(EnhanceJob& job, int32_t width, int32_t height, int count) {
    job.Reset();
    for (int i = 0; i < count; ++i) {
        auto frame = std::make_unique<RgbImage>();
        frame->Allocate(width, height, 24);
        uint8_t* bits = frame->Bits();
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width * 3; ++x) {
                bits[y * width * 3 + x] = static_cast<uint8_t>((x / 3 + 2 * y + 7 * i) & 0xFF);
            }
        }
        job.frames.push_back(std::move(frame));
        job.names.push_back("frame " + std::to_string(i));
    }
    job.width = width;
    job.height = height;
    job.referenceIndex = 0;
    job.inputKind = kInputImageSetSelection;
}

}  // namespace lumivex::testing_support
