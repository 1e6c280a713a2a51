#include "app/core/command_table.h"

#include <gtest/gtest.h>

#include <set>

#include "app/core/app_strings.h"
#include "app/core/command_ids.h"
#include "app/core/file_filter.h"
#include "app/core/version_text.h"

namespace lumivex {
namespace {

// Across both tables: the viewer's additions take neither a number nor a key of the workflow's.
TEST(CommandTableTest, IdentifiersAndKeysAreUniqueAndFound) {
    std::set<int> seen;
    std::set<std::string> keys;
    for (const auto& table : {AllCommands(), ViewerCommands()}) {
        for (const CommandInfo& info : table) {
            EXPECT_TRUE(seen.insert(info.id).second) << info.id;
            EXPECT_TRUE(*info.key == '\0' || keys.insert(info.key).second) << info.key;
            EXPECT_EQ(FindCommand(info.id), &info);
        }
    }
    EXPECT_EQ(FindCommand(1), nullptr);
}

TEST(CommandTableTest, KeysAreExactlyTheAcceleratorsAndTheHelpKey) {
    std::set<std::pair<std::string, int>> keys;
    for (const CommandInfo& info : AllCommands()) {
        if (*info.key != '\0') {
            keys.insert({info.key, info.id});
        }
    }
    using namespace command;
    const std::set<std::pair<std::string, int>> expected{
        {"Ctrl+O", kOpenMedia},   {"Ctrl+S", kSaveEnhancedImage}, {"Ctrl+V", kViewEnhancedImage},
        {"Ctrl+E", kEnhance},     {"Right", kNextImage},          {"Ctrl+Right", kStepForward},
        {"Left", kPreviousImage}, {"Ctrl+Left", kStepBackward},   {"F1", kHelp}};
    EXPECT_EQ(keys, expected);
}

TEST(CommandTableTest, MenuTextsNameTheirKey) {
    for (const CommandInfo& info : AllCommands()) {
        const std::string menu = info.menuText;
        const size_t tab = menu.find('\t');
        if (*info.key != '\0' && !menu.empty()) {
            ASSERT_NE(tab, std::string::npos) << menu;
            EXPECT_EQ(menu.substr(tab + 1), info.key);
        } else {
            EXPECT_EQ(tab, std::string::npos) << menu;
        }
    }
}

// Every command's status-bar prompt and tool tip; a text without a line feed serves as both.
TEST(CommandTableTest, EveryPromptAndToolTip) {
    using namespace command;
    constexpr const char* kToolBar = "Show or hide the toolbar";
    const struct {
        int id;
        const char* prompt;
        const char* toolTip;
    } expected[] = {
        {kOpenMedia, "Open a video file or an image sequence for enhancement", "Open media"},
        {kSaveEnhancedImage, "Save the enhanced image", "Save enhanced image"},
        {kCloseMedia, "", ""},
        {kExit, "Quit the application", "Exit"},
        {kViewEnhancedImage, "View the enhanced image", "View enhanced image"},
        {kToggleStandardBar, kToolBar, "Toggle ToolBar"},
        {kToggleVideoBar, kToolBar, "Toggle ToolBar"},
        {kToggleImageBar, kToolBar, "Toggle ToolBar"},
        {kToggleResultBar, kToolBar, "Toggle ToolBar"},
        {kToggleStatusBar, "Show or hide the status bar", "Toggle StatusBar"},
        {kEnhance, "Enhance the selected video frame/image", "Enhance"},
        {kExtractVideoFrames, "", ""},
        {kHelp, "", ""},
        {kVisitWebSite, "", ""},
        {kAbout, "Display program information, version number and copyright", "About"},
        {kPlay, "Play the video sequence", "Play"},
        {kPause, "Pause the video sequence", "Pause"},
        {kVideoReferenceSlider, "Select reference video frame", "Select reference video frame"},
        {kStepBackward, "Step one frame backward", "Step backward"},
        {kStepForward, "Step one frame forward", "Step forward"},
        {kZoomTool, "Click to zoom in, Alt-Click to zoom out", "Zoom tool"},
        {kHandTool, "Move the image within the window. ", "Hand tool"},
        {kImageReferenceSlider, "Select reference image", "Select reference image"},
        {kPreviousImage, "Set previous image as the reference", "Previous image"},
        {kNextImage, "Set next image as the reference", "Next image"},
    };
    ASSERT_EQ(AllCommands().size(), std::size(expected));
    for (const auto& entry : expected) {
        const CommandInfo* info = FindCommand(entry.id);
        ASSERT_NE(info, nullptr) << entry.id;
        EXPECT_EQ(CommandPrompt(*info), entry.prompt) << entry.id;
        EXPECT_EQ(CommandToolTip(*info), entry.toolTip) << entry.id;
    }
}

TEST(FileFilterTest, OpenMediaTableGivesThreeFilters) {
    std::vector<FileFilter> filters = ParseFileFilter(text::kOpenMediaFilter);
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].label, "Video files (*.avi; *.mpg; *.mpeg)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.avi", "*.mpg", "*.mpeg"}));
    EXPECT_EQ(filters[2].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_EQ(DialogNameFilters(text::kOpenMediaFilter),
              (std::vector<std::string>{"Video files (*.avi *.mpg *.mpeg)",
                                        "Image files (*.bmp *.jpg *.jpeg)", "All Files (*)"}));
    // The dialogs show the added picture formats after the table's own entries.
    EXPECT_EQ(PictureDialogNameFilters(text::kOpenMediaFilter),
              (std::vector<std::string>{"Video files (*.avi *.mpg *.mpeg)",
                                        "Image files (*.bmp *.jpg *.jpeg)", "All Files (*)",
                                        "PNG files (*.png)", "TIFF files (*.tif *.tiff)"}));
}

TEST(FileFilterTest, TheChosenFilterGivesTheSuffixOfANameWithoutOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"Image files (*.bmp *.jpg *.jpeg)", "bmp"},
        {"PNG files (*.png)", "png"},
        {"TIFF files (*.tif *.tiff)", "tif"},
        {"All Files (*)", "bmp"},
        {"Everything (*.*)", "bmp"},
        {"no patterns", "bmp"},
    };
    for (const auto& [filter, suffix] : cases) {
        EXPECT_EQ(FilterSuffix(filter, "bmp"), suffix) << filter;
    }
}

TEST(FileFilterTest, MalformedTablesStopAtTheFirstIncompleteEntry) {
    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_TRUE(ParseFileFilter("||").empty());
    EXPECT_EQ(ParseFileFilter("Pictures|*.bmp|Broken").size(), 1u);
    EXPECT_EQ(ParseFileFilter("Pictures| ; |Other|*.x").size(), 0u);
}

TEST(VersionTextTest, FooterAndAboutVersions) {
    EXPECT_EQ(VersionBuildText(), "Version 0.1 Build 550");
    EXPECT_EQ(AboutVersionText(), "version 0.1.0.550");
}

}  // namespace
}  // namespace lumivex
