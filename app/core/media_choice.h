// The Open media decision: which of the chosen paths form an image set and which one is the
// video, decided by the first path that has an extension.
#pragma once

#include <string>
#include <vector>

namespace lumivex {

struct MediaChoice {
    enum class Mode { kUndecided, kImages, kVideo };
    Mode mode = Mode::kUndecided;
    std::vector<std::string> imagePaths;  // image mode: the deciding path and every later one
    std::string videoPath;                // video mode: the deciding path only
};

// Walks paths in order. Paths whose file name has no '.' are skipped while the mode is undecided;
// the first other path decides: a picture extension ("bmp", "jpg", "jpeg", "png", "tif",
// "tiff", any case) chooses images, anything else video.
MediaChoice ChooseMedia(const std::vector<std::string>& paths);

// Whether files dropped onto the main window open as media: pictures (decided as Open media
// decides), or one video alone. A video among other files, or files that decide nothing, are
// refused, so the drop cursor tells the user before anything is closed.
bool DropOpensMedia(const std::vector<std::string>& paths);

// The word after opening an image set from which pictures were left out without a message of
// their own (unreadable files, folders): their file names, at most ten and how many more.
std::string LeftOutPicturesText(const std::vector<std::string>& paths);

}  // namespace lumivex
