#include "tests/video/video_fixtures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace lumivex::video::testing {

namespace {

class ScratchCleaner : public ::testing::Environment {
public:
    void TearDown() override {
        if (std::getenv("LUMIVEX_KEEP_TEST_VIDEOS") != nullptr) {
            return;
        }
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFolder(), ignored);
    }
};

const bool kCleanerRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new ScratchCleaner);
    return true;
}();

}  // namespace

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("lumivex-video-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

std::string MakeVideo(const std::string& name, const TestVideoSpec& spec) {
    static std::map<std::string, std::string> made;
    const auto found = made.find(name);
    if (found != made.end()) {
        return found->second;
    }
    const std::string path = ScratchFolder() + "/" + name;
    std::string error;
    if (!WriteTestVideo(spec, path, &error)) {
        ADD_FAILURE() << "cannot encode " << name << ": " << error;
    }
    made[name] = path;
    return path;
}

std::string Mpeg1Video() {
    return MakeVideo("counting.mpg",
                     {TestVideoKind::kMpeg1Program, 176, 144, 25, CountingPictures(40), 1, 1});
}

std::string Mpeg2InterlacedVideo() {
    TestVideoSpec spec{TestVideoKind::kMpeg2Program, 720, 576, 25, CountingPictures(16), 16, 15};
    spec.interlaced = true;
    return MakeVideo("interlaced.mpeg", spec);
}

std::string MjpegVideo() {
    return MakeVideo("counting.avi",
                     {TestVideoKind::kMjpegAvi, 128, 112, 25, CountingPictures(30)});
}

std::string Mpeg4Video() {
    return MakeVideo("counting-mpeg4.avi",
                     {TestVideoKind::kMpeg4Avi, 112, 104, 25, CountingPictures(36)});
}

std::string TransportStreamVideo() {
    return MakeVideo("counting.ts",
                     {TestVideoKind::kMpeg2Transport, 128, 96, 25, CountingPictures(30)});
}

std::string WideMpeg2Video() {
    return MakeVideo("wide.mpeg",
                     {TestVideoKind::kMpeg2Program, 720, 576, 25, CountingPictures(8), 64, 45});
}

std::string RepeatedFramesVideo() {
    std::vector<int32_t> pictures = CountingPictures(20);
    pictures.insert(pictures.begin() + 10, 9);  // frames 9 and 10 both show picture 9
    return MakeVideo("repeat.avi", {TestVideoKind::kMjpegAvi, 128, 112, 25, pictures});
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> BmpPixels(const std::string& path, int32_t& width, int32_t& height) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    if (bytes.size() < 54) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    const auto field = [&](size_t offset) {
        return static_cast<int32_t>(bytes[offset] | bytes[offset + 1] << 8 |
                                    bytes[offset + 2] << 16 | bytes[offset + 3] << 24);
    };
    width = field(18);
    height = field(22);
    return {bytes.begin() + field(10), bytes.end()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace lumivex::video::testing
