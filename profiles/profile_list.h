// The list of enhancement profile files, built once at start-up from the "profiles" folder beside
// the running program. The job's profile index points into it.
#pragma once

#include <string>
#include <vector>

namespace lumivex {

class ProfileList {
public:
    void Clear() { paths_.clear(); }
    void Add(const std::string& path) { paths_.push_back(path); }
    int Count() const { return static_cast<int>(paths_.size()); }
    bool IsEmpty() const { return paths_.empty(); }
    const std::string& Path(int index) const { return paths_.at(static_cast<std::size_t>(index)); }
    const std::vector<std::string>& Paths() const { return paths_; }
    // The file name without folder and extension.
    std::string DisplayName(int index) const;

private:
    std::vector<std::string> paths_;
};

// File name without folder and extension: "/a/b/2x enlargement.ini" -> "2x enlargement".
std::string ProfileDisplayName(const std::string& path);

// The folder holding the running program, with a trailing "/" (empty when it cannot be found).
std::string ProgramFolder();

// Fills list from folder (created when missing): every "*.ini" file except "custom.ini", in
// name order; when none is found, "Default enhancement.ini" with scale = 1 is written there and
// listed, whether or not writing it succeeded.
void EnumerateProfilesIn(const std::string& folder, ProfileList& list);

// The profiles folder of a program in programFolder (ending in "/"): "profiles" beside it when
// that folder exists (the build tree, installs that keep everything in one folder), else the
// installed "../share/lumivex/profiles" when that exists, else "profiles" beside it.
std::string ProfilesFolderFor(const std::string& programFolder);

// EnumerateProfilesIn on ProfilesFolderFor(ProgramFolder()).
void EnumerateProfiles(ProfileList& list);

}  // namespace lumivex
