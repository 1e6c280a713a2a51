#include "app/core/selection_state.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace lumivex {

std::string ImageStatusText(int32_t referenceIndex, int32_t frameCount) {
    // An empty set has no image to count; "Image 1 of 0" would name one that does not exist.
    const int32_t shown = frameCount > 0 ? referenceIndex + 1 : 0;
    char text[64];
    std::snprintf(text, sizeof text, "Image %d of %d", shown, std::max(frameCount, 0));
    return text;
}

SelectionState::SelectionState(SelectionJobFields job, SelectionHost& host)
    : job_(std::move(job)), host_(host) {}

std::string SelectionState::StatusText() const {
    return ImageStatusText(*job_.referenceIndex, job_.frameCount());
}

void SelectionState::Show() {
    shown_ = true;
    if (*job_.inputKind == kInputImageSet) {
        bound_ = true;
        host_.PrepareSliders(0, std::max(job_.frameCount() - 1, 0), 1);
        PositionChanged(*job_.referenceIndex);
        *job_.inputKind = kInputImageSetSelection;
    }
    host_.SetStatusText(StatusText());
}

void SelectionState::Hide() {
    shown_ = false;
    host_.SetStatusText({});
}

void SelectionState::PositionChanged(int32_t position) {
    if (changing_) {
        return;
    }
    changing_ = true;
    host_.SetSliderPositions(position);
    if (bound_) {
        const int32_t count = job_.frameCount();
        const int32_t reference = std::clamp(position, 0, std::max(count - 1, 0));
        *job_.referenceIndex = reference;
        if (reference < count) {
            host_.ShowFrame(reference);
        }
        // Left and Right reach the page while another step is shown; the pane then belongs to
        // that step's page.
        if (shown_) {
            host_.SetStatusText(StatusText());
        }
    }
    changing_ = false;
}

void SelectionState::Previous() {
    Step(-1);
}

void SelectionState::Next() {
    Step(+1);
}

void SelectionState::Step(int32_t delta) {
    const int32_t target = *job_.referenceIndex + delta;
    if (target >= 0 && target < job_.frameCount()) {
        PositionChanged(target);
    }
}

}  // namespace lumivex
