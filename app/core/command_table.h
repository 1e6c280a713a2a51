// The command table: for every command identifier its menu text, key, toolbar label and the
// combined prompt text ("status-bar prompt\ntool tip").
#pragma once

#include <span>
#include <string>

namespace lumivex {

struct CommandInfo {
    int id;
    const char* menuText;      // with '&' mnemonic and "\t<key>"; empty when not in the menu
    const char* key;           // portable key text ("Ctrl+O", "Left"); empty when none
    const char* toolbarLabel;  // text under the toolbar button; empty when none
    const char* promptText;    // "prompt\ntool tip", or a single line used for both
};

// Every command of the workflow, in menu order first, then the toolbar-only commands.
std::span<const CommandInfo> AllCommands();
// The image viewer's additions: before and after, zoom to fit, actual size.
std::span<const CommandInfo> ViewerCommands();

// The entry for id in either table, or nullptr when the identifier is unknown.
const CommandInfo* FindCommand(int id);

// The part of promptText before the line feed (the whole text when there is none).
std::string CommandPrompt(const CommandInfo& info);
// The part after the line feed; a text without a line feed serves as its own tool tip.
std::string CommandToolTip(const CommandInfo& info);

}  // namespace lumivex
