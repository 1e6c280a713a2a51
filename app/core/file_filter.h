// File-dialog filter tables of the form "label|patterns|label|patterns||", where patterns are
// separated by ';' ("*.avi;*.mpg").
#pragma once

#include <string>
#include <vector>

namespace lumivex {

struct FileFilter {
    std::string label;                  // "Video files (*.avi; *.mpg; *.mpeg)"
    std::vector<std::string> patterns;  // "*.avi", "*.mpg", "*.mpeg"
};

// The entries of a filter table; an entry without patterns ends it.
std::vector<FileFilter> ParseFileFilter(const std::string& table);

// One name filter per entry in the form file dialogs take: the label's text before its
// parenthesis followed by the patterns in parentheses, separated by blanks
// ("Video files (*.avi *.mpg *.mpeg)"). "*.*" becomes "*", which matches names without a dot.
std::vector<std::string> DialogNameFilters(const std::string& table);

// DialogNameFilters of the table followed by one entry for each picture format added beyond it:
// "PNG files (*.png)", "TIFF files (*.tif *.tiff)". For the open and save dialogs.
std::vector<std::string> PictureDialogNameFilters(const std::string& table);

// The extension a save dialog adds to a name typed without one, under the name filter the user
// chose: its first pattern's ("PNG files (*.png)" gives "png"), or fallback when that pattern
// names no extension ("All Files (*)").
std::string FilterSuffix(const std::string& nameFilter, const std::string& fallback);

}  // namespace lumivex
