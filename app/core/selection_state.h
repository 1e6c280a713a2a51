// The rules of the "Selection" page, where the user picks the reference image of a still-image
// set: preparing the reference sliders when a new set arrives, keeping every slider on the same
// position, stepping to the previous or next image without wrapping, and the "Image %d of %d"
// status text. Plain C++: the page widget implements SelectionHost and forwards its events here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "job/job.h"

namespace lumivex {

// The fields of the application's job the page works on. They outlive the page.
struct SelectionJobFields {
    int32_t* inputKind = nullptr;
    int32_t* referenceIndex = nullptr;
    std::function<int32_t()> frameCount;
};

// What the page widget does for the rules.
class SelectionHost {
public:
    virtual ~SelectionHost() = default;
    // Gives every reference slider the range [minimum, maximum] and the page size.
    virtual void PrepareSliders(int32_t minimum, int32_t maximum, int32_t pageSize) = 0;
    // Moves every reference slider to position. A slider that reports the move back through
    // SelectionState::PositionChanged is ignored by the re-entry guard.
    virtual void SetSliderPositions(int32_t position) = 0;
    // Shows frames[index] in the page's view, keeping the zoom.
    virtual void ShowFrame(int32_t index) = 0;
    // Writes status pane 1 (empty clears it).
    virtual void SetStatusText(const std::string& text) = 0;
};

// "Image 2 of 5" for reference index 1 of five frames; "Image 0 of 0" for an empty set.
[[nodiscard]] std::string ImageStatusText(int32_t referenceIndex, int32_t frameCount);

class SelectionState {
public:
    SelectionState(SelectionJobFields job, SelectionHost& host);

    // The page is shown: a freshly loaded set binds the page and prepares the sliders on the
    // current reference; then the status text is written.
    void Show();
    // The page is hidden: the status text is cleared.
    void Hide();
    // A reference slider moved to position (the user dragged it, or the rules moved it).
    void PositionChanged(int32_t position);
    // Previous and Next image: move the reference by one inside the set; no wrap-around.
    void Previous();
    void Next();

    [[nodiscard]] bool Bound() const { return bound_; }
    [[nodiscard]] std::string StatusText() const;

private:
    void Step(int32_t delta);

    SelectionJobFields job_;
    SelectionHost& host_;
    bool bound_ = false;
    bool shown_ = false;
    bool changing_ = false;
};

}  // namespace lumivex
