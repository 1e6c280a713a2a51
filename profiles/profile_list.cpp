#include "profiles/profile_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "profiles/enhance_params.h"

namespace lumivex {

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool HasIniExtension(const std::string& name) {
    return name.size() > 4 && EqualsIgnoringCase(name.substr(name.size() - 4), ".ini");
}

std::string WithSlash(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') {
        return folder;
    }
    return folder + "/";
}

// File names of the regular "*.ini" files of folder, sorted so the list does not depend on the
// order the file system happens to return. They sort by the name without its extension, so that
// a profile comes before the variants whose names extend its own ("2x enlargement" before
// "2x enlargement, high quality"): the first profile is the one used when none is chosen.
std::vector<std::string> IniFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!HasIniExtension(name) || EqualsIgnoringCase(name, "custom.ini")) {
            continue;
        }
        std::error_code statError;
        if (std::filesystem::is_directory(it->path(), statError)) {
            continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.substr(0, a.size() - 4) < b.substr(0, b.size() - 4);
    });
    return names;
}

}  // namespace

std::string ProfileDisplayName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name;
}

std::string ProfileList::DisplayName(int index) const {
    return ProfileDisplayName(Path(index));
}

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return WithSlash(exe.parent_path().string());
}

void EnumerateProfilesIn(const std::string& folder, ProfileList& list) {
    const std::string base = WithSlash(folder);
    std::error_code error;
    if (!std::filesystem::is_directory(base, error)) {
        std::filesystem::create_directories(base, error);  // a failure is not reported
    }
    list.Clear();
    for (const std::string& name : IniFilesIn(base)) {
        list.Add(base + name);
    }
    if (list.IsEmpty()) {
        EnhanceParams defaults;
        defaults.WriteInt("resolution", "scale", 1);
        const std::string path = base + "Default enhancement.ini";
        defaults.Save(path);
        list.Add(path);
    }
}

void EnumerateProfiles(ProfileList& list) {
    EnumerateProfilesIn(ProgramFolder() + "profiles", list);
}

}  // namespace lumivex
