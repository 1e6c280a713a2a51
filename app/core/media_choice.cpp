#include "app/core/media_choice.h"

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

}  // namespace lumivex
