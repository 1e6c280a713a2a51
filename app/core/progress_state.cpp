#include "app/core/progress_state.h"

#include <cstdio>

namespace lumivex {

int32_t ProgressPercent(int32_t position, int32_t lower, int32_t upper) {
    if (upper <= lower) {
        return 0;
    }
    double span = static_cast<double>(upper) - lower;
    return static_cast<int32_t>((static_cast<double>(position) - lower) * 100.0 / span + 0.5);
}

std::string ProgressCaption(const std::string& title, int32_t percent) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " [%d%%]", percent);
    return title + buffer;
}

void ProgressState::SetRange(int32_t lower, int32_t upper, int32_t step) {
    lower_ = lower;
    upper_ = upper;
    step_ = step;
}

ProgressState::Update ProgressState::SetPosition(int32_t position) {
    Update update;
    update.previousPosition = position_;
    int32_t percent = ProgressPercent(position, lower_, upper_);
    if (percent != previousPercent_) {
        previousPercent_ = percent;
        caption_ = ProgressCaption(title_, percent);
        update.captionChanged = true;
    }
    position_ = position;
    return update;
}

}  // namespace lumivex
