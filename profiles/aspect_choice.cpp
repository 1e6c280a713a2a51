#include "profiles/aspect_choice.h"

#include "profiles/enhance_params.h"

namespace lumivex {

namespace {

bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == ',' || c == '.';
}

}  // namespace

const std::vector<std::string>& AspectChoices() {
    static const std::vector<std::string> choices = {"Automatic", "4 : 3", "1 : 1", "16 : 9"};
    return choices;
}

double NextNumber(std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size() && !IsNumberChar(text[begin])) {
        ++begin;
    }
    std::size_t end = begin;
    while (end < text.size() && IsNumberChar(text[end])) {
        ++end;
    }
    const std::string number = text.substr(begin, end - begin);
    text.erase(0, end);
    // The conversion stops at a ",", so "1,5" reads as 1.
    return ParseLeadingReal(number);
}

std::optional<double> AspectFactorFromText(const std::string& text, int32_t width, int32_t height) {
    std::string rest = text;
    const double a = NextNumber(rest);
    if (!(a > 0.0)) {
        return std::nullopt;
    }
    const double b = NextNumber(rest);
    if (!(b > 0.0) || height == 0) {
        return std::nullopt;
    }
    return b * (static_cast<double>(width) / static_cast<double>(height)) / a;
}

bool ApplyAspectChoice(bool automatic, const std::string& text, int32_t width, int32_t height,
                       double mediaFactor, double& verticalFactor) {
    if (automatic) {
        verticalFactor = mediaFactor;
        return true;
    }
    const std::optional<double> factor = AspectFactorFromText(text, width, height);
    if (!factor) {
        return false;
    }
    verticalFactor = *factor;
    return true;
}

}  // namespace lumivex
