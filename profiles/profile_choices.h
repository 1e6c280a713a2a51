// The profiles as the profile selection lists them: each with the output size it gives for the
// current input, in the alphabetical order of their item text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "profiles/output_size.h"

namespace lumivex {

class ProfileList;

struct ProfileChoice {
    int index = 0;     // position in the ProfileList; what the job's profile index stores
    std::string name;  // display name
    OutputSize size;
    std::string text;  // name + "\n Output resolution: WxH"
};

// Loads every profile of list (an unreadable one counts as empty: twice the input size) and
// computes its output size for width x height with verticalFactor. Sorted by text, ignoring case.
std::vector<ProfileChoice> ListProfileChoices(const ProfileList& list, int32_t width,
                                              int32_t height, double verticalFactor);

// The item text for a profile: name + "\n Output resolution: %dx%d".
std::string ProfileChoiceText(const std::string& name, OutputSize size);

}  // namespace lumivex
