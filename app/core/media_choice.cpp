#include "app/core/media_choice.h"

#include <algorithm>
#include <cctype>

namespace lumivex {

namespace {

// Position of the '.' that starts the file name's extension, or npos. Only the file name
// counts: a '.' in a folder name is no extension.
size_t ExtensionDot(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::string::npos;
    }
    return dot;
}

bool IsImageExtension(const std::string& extension) {
    return extension == "bmp" || extension == "jpg" || extension == "jpeg";
}

}  // namespace

std::string LowerCaseExtension(const std::string& path) {
    size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) {
        return {};
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

MediaChoice ChooseMedia(const std::vector<std::string>& paths) {
    MediaChoice choice;
    for (const std::string& path : paths) {
        if (choice.mode == MediaChoice::Mode::kImages) {
            choice.imagePaths.push_back(path);
            continue;
        }
        if (ExtensionDot(path) == std::string::npos) {
            continue;
        }
        if (IsImageExtension(LowerCaseExtension(path))) {
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

}  // namespace lumivex
