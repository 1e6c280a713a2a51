#include "app/core/file_filter.h"

#include <sstream>

namespace lumivex {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(const std::string& table) {
    std::vector<FileFilter> filters;
    const std::vector<std::string> fields = Split(table, '|');
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        FileFilter filter{fields[i], {}};
        for (const std::string& pattern : Split(fields[i + 1], ';')) {
            if (!Trim(pattern).empty()) {
                filter.patterns.push_back(Trim(pattern));
            }
        }
        if (filter.label.empty() || filter.patterns.empty()) {
            break;
        }
        filters.push_back(filter);
    }
    return filters;
}

std::vector<std::string> DialogNameFilters(const std::string& table) {
    std::vector<std::string> names;
    for (const FileFilter& filter : ParseFileFilter(table)) {
        std::string name = Trim(filter.label.substr(0, filter.label.find('('))) + " (";
        for (size_t i = 0; i < filter.patterns.size(); ++i) {
            name += (i > 0 ? " " : "") + (filter.patterns[i] == "*.*" ? "*" : filter.patterns[i]);
        }
        names.push_back(name + ")");
    }
    return names;
}

std::vector<std::string> PictureDialogNameFilters(const std::string& table) {
    std::vector<std::string> names = DialogNameFilters(table);
    names.push_back("PNG files (*.png)");
    names.push_back("TIFF files (*.tif *.tiff)");
    return names;
}

std::string FilterSuffix(const std::string& nameFilter, const std::string& fallback) {
    const size_t open = nameFilter.rfind('(');
    if (open == std::string::npos || nameFilter.compare(open + 1, 2, "*.") != 0) {
        return fallback;
    }
    const size_t start = open + 3;
    const size_t end = nameFilter.find_first_of(" ;)*", start);
    const std::string suffix = nameFilter.substr(start, end - start);
    return suffix.empty() || end == std::string::npos ? fallback : suffix;
}

}  // namespace lumivex
