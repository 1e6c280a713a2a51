// The "Enhance" step: the image view bound to the job's enhanced picture. While the page is shown
// status pane 1 holds the view's "Zoom %.0f%%"; hidden, the pane is cleared.
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

private:
    void ShowZoomText();

    bool shown_ = false;
};

}  // namespace lumivex
