#include "app/core/command_table.h"

#include <algorithm>
#include <array>

#include "app/core/command_ids.h"

namespace lumivex {

namespace {

using namespace command;

constexpr const char* kToggleToolBar = "Show or hide the toolbar\nToggle ToolBar";

constexpr std::array kCommands = {
    CommandInfo{kOpenMedia, "&Open media ...\tCtrl+O", "Ctrl+O", "Open",
                "Open a video file or an image sequence for enhancement\nOpen media"},
    CommandInfo{kSaveEnhancedImage, "&Save enhanced image ...\tCtrl+S", "Ctrl+S", "Save",
                "Save the enhanced image\nSave enhanced image"},
    CommandInfo{kCloseMedia, "&Close media", "", "", ""},
    CommandInfo{kExit, "E&xit", "", "", "Quit the application\nExit"},
    CommandInfo{kViewEnhancedImage, "&View enhanced image\tCtrl+V", "Ctrl+V", "Result",
                "View the enhanced image\nView enhanced image"},
    CommandInfo{kToggleStandardBar, "&Standard", "", "", kToggleToolBar},
    CommandInfo{kToggleVideoBar, "&Video Reference Selection", "", "", kToggleToolBar},
    CommandInfo{kToggleImageBar, "&Image Reference Selection", "", "", kToggleToolBar},
    CommandInfo{kToggleResultBar, "&Enhanced Image View", "", "", kToggleToolBar},
    CommandInfo{kToggleStatusBar, "&Status Bar", "", "",
                "Show or hide the status bar\nToggle StatusBar"},
    CommandInfo{kEnhance, "&Enhance ...\tCtrl+E", "Ctrl+E", "Enhance",
                "Enhance the selected video frame/image\nEnhance"},
    CommandInfo{kExtractVideoFrames, "E&xtract video frames ...", "", "", ""},
    CommandInfo{kHelp, "&Help ...\tF1", "F1", "", ""},
    CommandInfo{kVisitWebSite, "Visit Corvanes' &web site", "", "", ""},
    CommandInfo{kAbout, "&About ...", "", "",
                "Display program information, version number and copyright\nAbout"},
    CommandInfo{kPlay, "", "", "", "Play the video sequence\nPlay"},
    CommandInfo{kPause, "", "", "", "Pause the video sequence\nPause"},
    CommandInfo{kVideoReferenceSlider, "", "", "Ref:", "Select reference video frame"},
    CommandInfo{kStepBackward, "", "Ctrl+Left", "", "Step one frame backward\nStep backward"},
    CommandInfo{kStepForward, "", "Ctrl+Right", "", "Step one frame forward\nStep forward"},
    CommandInfo{kZoomTool, "", "", "", "Click to zoom in, Alt-Click to zoom out\nZoom tool"},
    CommandInfo{kHandTool, "", "", "", "Move the image within the window. \nHand tool"},
    CommandInfo{kImageReferenceSlider, "", "", "Ref:", "Select reference image"},
    CommandInfo{kPreviousImage, "", "Left", "",
                "Set previous image as the reference\nPrevious image"},
    CommandInfo{kNextImage, "", "Right", "", "Set next image as the reference\nNext image"},
};

constexpr std::array kViewerCommands = {
    CommandInfo{kShowBefore, "Show &before\t\\", "\\", "Before",
                "Show the reference enlarged by cubic resampling instead of the enhanced "
                "image\nBefore and after"},
    CommandInfo{kZoomToFit, "Zoom to &fit\tCtrl+0", "Ctrl+0", "",
                "Fit the picture into the window\nZoom to fit"},
    CommandInfo{kActualSize, "&Actual size\tCtrl+1", "Ctrl+1", "",
                "Show the picture at 100 %\nActual size"},
};

template <typename Table>
const CommandInfo* FindIn(const Table& table, int id) {
    auto it = std::find_if(table.begin(), table.end(),
                           [id](const CommandInfo& info) { return info.id == id; });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace

std::span<const CommandInfo> AllCommands() {
    return kCommands;
}

std::span<const CommandInfo> ViewerCommands() {
    return kViewerCommands;
}

const CommandInfo* FindCommand(int id) {
    const CommandInfo* info = FindIn(kCommands, id);
    return info != nullptr ? info : FindIn(kViewerCommands, id);
}

std::string CommandPrompt(const CommandInfo& info) {
    std::string text = info.promptText;
    return text.substr(0, text.find('\n'));
}

std::string CommandToolTip(const CommandInfo& info) {
    std::string text = info.promptText;
    size_t feed = text.find('\n');
    return feed == std::string::npos ? text : text.substr(feed + 1);
}

}  // namespace lumivex
