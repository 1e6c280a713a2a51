// The state behind the progress window: range, position, the percentage shown in the caption,
// the cancelled flag and the modal flag. The widget shows it; the rules live here.
#pragma once

#include <cstdint>
#include <string>

namespace lumivex {

// truncate((position - lower) * 100.0 / (upper - lower) + 0.5) when upper > lower, else 0.
int32_t ProgressPercent(int32_t position, int32_t lower, int32_t upper);

// "<title> [<percent>%]".
std::string ProgressCaption(const std::string& title, int32_t percent);

class ProgressState {
public:
    struct Update {
        int32_t previousPosition = 0;
        bool captionChanged = false;  // caption() holds the new caption when set
    };

    void SetRange(int32_t lower, int32_t upper, int32_t step);
    // Stores the position; the caption changes only when the percentage does.
    Update SetPosition(int32_t position);

    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }
    void SetModal(bool modal) { modal_ = modal; }
    bool Modal() const { return modal_; }

    int32_t Position() const { return position_; }
    int32_t Lower() const { return lower_; }
    int32_t Upper() const { return upper_; }
    int32_t Step() const { return step_; }
    int32_t Percent() const { return previousPercent_; }
    const std::string& Caption() const { return caption_; }
    const std::string& Title() const { return title_; }

private:
    bool cancelled_ = false;
    bool modal_ = false;
    int32_t position_ = 0;
    int32_t previousPercent_ = 0;
    int32_t step_ = 1;
    int32_t upper_ = 100;
    int32_t lower_ = 0;
    std::string title_ = "Progress";
    std::string caption_;
};

}  // namespace lumivex
