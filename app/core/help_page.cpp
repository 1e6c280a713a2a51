#include "app/core/help_page.h"

#include <filesystem>
#include <system_error>

namespace lumivex {

std::string FindHelpPage(const std::string& programFolder) {
    const std::filesystem::path folder(programFolder);
    for (const auto& candidate : {folder / "help" / "index.html",
                                  folder / ".." / "share" / "lumivex" / "help" / "index.html"}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate.lexically_normal().string();
        }
    }
    return {};
}

std::string BrowserFailureMessage(const std::string& target, const std::string& helpPage) {
    std::string text = "Lumivex could not open " +
                       (target == helpPage ? std::string("its help page") : target) +
                       ": no web browser could be started.";
    if (!helpPage.empty()) {
        text += "\n\nThe help page is the file\n" + helpPage + "\nwhich any web browser can show.";
    }
    return text;
}

}  // namespace lumivex
