#include "app/core/command_table.h"

#include <gtest/gtest.h>

#include <set>

#include "app/core/app_strings.h"
#include "app/core/command_ids.h"
#include "app/core/file_filter.h"
#include "app/core/version_text.h"

namespace lumivex {
namespace {

TEST(CommandTableTest, IdentifiersAreUniqueAndFound) {
    std::set<int> seen;
    for (const CommandInfo& info : AllCommands()) {
        EXPECT_TRUE(seen.insert(info.id).second) << info.id;
        EXPECT_EQ(FindCommand(info.id), &info);
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

TEST(CommandTableTest, PromptAndToolTipSplitAtTheLineFeed) {
    const CommandInfo* open = FindCommand(command::kOpenMedia);
    EXPECT_EQ(CommandPrompt(*open), "Open a video file or an image sequence for enhancement");
    EXPECT_EQ(CommandToolTip(*open), "Open media");
    const CommandInfo* hand = FindCommand(command::kHandTool);
    EXPECT_EQ(CommandPrompt(*hand), "Move the image within the window. ");
    EXPECT_EQ(CommandToolTip(*hand), "Hand tool");
    // A text without line feed serves as prompt and tool tip.
    const CommandInfo* slider = FindCommand(command::kImageReferenceSlider);
    EXPECT_EQ(CommandPrompt(*slider), "Select reference image");
    EXPECT_EQ(CommandToolTip(*slider), "Select reference image");
    const CommandInfo* close = FindCommand(command::kCloseMedia);
    EXPECT_EQ(CommandToolTip(*close), "");
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
