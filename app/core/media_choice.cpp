#include "app/core/media_choice.h"

#include <filesystem>

#include "image/image_codec.h"

namespace lumivex {

MediaChoice ChooseMedia(const std::vector<std::string>& paths) {
    MediaChoice choice;
    for (const std::string& path : paths) {
        if (choice.mode == MediaChoice::Mode::kImages) {
            choice.imagePaths.push_back(path);
            continue;
        }
        // Only the file name counts: a '.' in a folder name is no extension.
        const std::string extension = LowerCaseExtension(path);
        if (extension.empty()) {
            continue;
        }
        if (IsPictureExtension(extension)) {
            choice.mode = MediaChoice::Mode::kImages;
            choice.imagePaths.push_back(path);
        } else {
            choice.mode = MediaChoice::Mode::kVideo;
            choice.videoPath = path;
            break;
        }
    }
    return choice;
}

bool DropOpensMedia(const std::vector<std::string>& paths) {
    const MediaChoice choice = ChooseMedia(paths);
    return choice.mode == MediaChoice::Mode::kImages ||
           (choice.mode == MediaChoice::Mode::kVideo && paths.size() == 1);
}

std::string LeftOutPicturesText(const std::vector<std::string>& paths) {
    constexpr size_t kListed = 10;
    std::string text = paths.size() == 1 ? "This picture could not be read and was left out:"
                                         : "These pictures could not be read and were left out:";
    for (size_t i = 0; i < paths.size() && i < kListed; ++i) {
        text += '\n';
        text += std::filesystem::path(paths[i]).filename().string();
    }
    if (paths.size() > kListed) {
        text += "\n... and " + std::to_string(paths.size() - kListed) + " more";
    }
    return text;
}

}  // namespace lumivex
