#include "profiles/output_size.h"

#include <algorithm>
#include <cmath>

#include "profiles/enhance_params.h"

namespace lumivex {

namespace {

constexpr char kSection[] = "resolution";
// No side of a picture within the picture limit comes near this; clamping here keeps every
// product below in range while still failing the limit check of the caller.
constexpr int64_t kLargestSide = int64_t{1} << 30;

int64_t ClampSide(int64_t value) {
    return std::clamp<int64_t>(value, 0, kLargestSide);
}

// trunc(value) held within [0, kLargestSide]; NaN counts as 0.
int64_t TruncatedSide(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    if (value >= static_cast<double>(kLargestSide)) {
        return kLargestSide;
    }
    return static_cast<int64_t>(value);
}

bool ScaleRule(const EnhanceParams& params, int64_t W, int64_t He, int64_t& w, int64_t& h) {
    double scale = 0.0;
    if (!params.ReadReal(kSection, "scale", scale) || !(scale > 0.0)) {
        return false;
    }
    w = TruncatedSide(static_cast<double>(W) * scale);
    h = TruncatedSide(static_cast<double>(He) * scale);
    return w > 0 && h > 0;
}

void BoxRule(const EnhanceParams& params, int64_t W, int64_t He, int64_t& w, int64_t& h) {
    int32_t mw = 0;
    int32_t mh = 0;
    if (!params.ReadInt(kSection, "maxwidth", mw) || mw <= 0) {
        return;
    }
    if (!params.ReadInt(kSection, "maxheight", mh) || mh <= 0) {
        return;
    }
    const int64_t longer = std::max(mw, mh);
    const int64_t shorter = std::min(mw, mh);
    if (W > He) {
        w = longer;
        h = shorter;
    } else if (W == He) {
        w = h = shorter;
    } else {
        w = shorter;
        h = longer;
    }
    bool proportional = true;
    params.ReadBool(kSection, "proportional", proportional);
    if (!proportional) {
        return;
    }
    // The quotients are truncated on purpose: the fit is coarse, as profiles have always been.
    if (W / He > w / h) {
        h = He * w / W;
    } else {
        w = h * W / He;
    }
    w = ClampSide(w);
    h = ClampSide(h);
}

// W and He of the rules: the input width and the height times the vertical factor, truncated,
// each at least 1.
void InputSides(int32_t width, int32_t height, double verticalFactor, int64_t& W, int64_t& He) {
    W = std::max<int64_t>(width, 1);
    He = std::max<int64_t>(TruncatedSide(height * verticalFactor), 1);
}

}  // namespace

bool ScaleRuleGivesSize(int32_t width, int32_t height, double verticalFactor,
                        const EnhanceParams& params) {
    int64_t W = 0, He = 0, w = 0, h = 0;
    InputSides(width, height, verticalFactor, W, He);
    return ScaleRule(params, W, He, w, h);
}

OutputSize ComputeOutputSize(int32_t width, int32_t height, double verticalFactor,
                             const EnhanceParams& params) {
    int64_t W = 0, He = 0;
    InputSides(width, height, verticalFactor, W, He);
    int64_t w = 0;
    int64_t h = 0;
    if (!ScaleRule(params, W, He, w, h)) {
        w = h = 0;
        BoxRule(params, W, He, w, h);
    }
    if (w <= 0 || h <= 0) {
        w = ClampSide(2 * W);
        h = ClampSide(2 * He);
    }
    w = std::max<int64_t>(w, 4);
    h = std::max<int64_t>(h, 4);
    w -= w % 4;
    return OutputSize{static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

}  // namespace lumivex
