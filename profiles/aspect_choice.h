// The output aspect choice of the profile selection: a ratio typed or picked as text ("16 : 9",
// "2.35:1") becomes the job's vertical factor, so that width : (height x factor) is that ratio.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumivex {

// The choices offered, in order; the first one, "Automatic", stands for the media's own factor.
const std::vector<std::string>& AspectChoices();
inline constexpr int kAutomaticAspectChoice = 0;

// Consumes the next number from the front of text: skips to the first digit, "," or ".", takes
// the longest run of those characters and converts its leading decimal number (0 when none).
double NextNumber(std::string& text);

// The vertical factor that makes a width x height input come out as a : b, where a and b are the
// first two numbers of text; nullopt (nothing to change) when either is not positive.
std::optional<double> AspectFactorFromText(const std::string& text, int32_t width, int32_t height);

// Applies a choice to verticalFactor: automatic copies mediaFactor, otherwise the ratio in text
// is used. Returns whether the factor was set (and the profile sizes need listing again).
bool ApplyAspectChoice(bool automatic, const std::string& text, int32_t width, int32_t height,
                       double mediaFactor, double& verticalFactor);

}  // namespace lumivex
