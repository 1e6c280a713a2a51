#include "profiles/profile_choices.h"

#include <algorithm>
#include <cctype>

#include "profiles/enhance_params.h"
#include "profiles/profile_list.h"

namespace lumivex {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::string ProfileChoiceText(const std::string& name, OutputSize size) {
    return name + "\n Output resolution: " + std::to_string(size.width) + "x" +
           std::to_string(size.height);
}

std::vector<ProfileChoice> ListProfileChoices(const ProfileList& list, int32_t width,
                                              int32_t height, double verticalFactor) {
    std::vector<ProfileChoice> choices;
    for (int i = 0; i < list.Count(); ++i) {
        EnhanceParams params;
        params.Load(list.Path(i));  // a failed load leaves an empty profile, which still sizes
        ProfileChoice choice;
        choice.index = i;
        choice.name = list.DisplayName(i);
        choice.size = ComputeOutputSize(width, height, verticalFactor, params);
        choice.text = ProfileChoiceText(choice.name, choice.size);
        choices.push_back(std::move(choice));
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [](const ProfileChoice& a, const ProfileChoice& b) {
                         return LessIgnoringCase(a.text, b.text);
                     });
    return choices;
}

}  // namespace lumivex
