// The "Enhance" step: the image view bound to the job's enhanced picture. While the page is shown
// status pane 1 holds the view's "Zoom %.0f%%"; hidden, the pane is cleared. Beside the Zoom text
// the page tells which picture is shown, the result's size and how many pictures were fused: the
// result ("after") or, at the same zoom and centre, the reference enlarged by cubic resampling
// ("before").
#pragma once

#include "app/ui/image_view.h"

namespace lumivex {

class ResultPage : public ImageViewPage {
    Q_OBJECT

public:
    explicit ResultPage(WorkflowHost& host, QWidget* parent = nullptr);

    // Re-reads the result (its pixels change between runs) and writes the zoom text.
    void PageShown() override;
    void PageHidden() override;

    // Shows the enlarged reference instead of the result, or the result again. The reference is
    // shown only while one exists for the current result.
    void SetShowingBefore(bool before);
    bool ShowingBefore() const { return showingBefore_; }

private:
    void ShowZoomText();
    void ShowInfoText();
    // The enlarged reference for the current result, or nullptr.
    const RgbImage* Before() const;

    bool shown_ = false;
    bool showingBefore_ = false;
    int32_t seenGeneration_ = -1;
};

}  // namespace lumivex
