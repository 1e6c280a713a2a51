// The "Enhance" step: the image view bound to the job's enhanced picture. While the page is shown
// status pane 1 holds the view's "Zoom %.0f%%"; hidden, the pane is cleared.
#pragma once

#include "app/ui/workflow_page.h"

namespace lumivex {

class ImageView;

class ResultPage : public WorkflowPage {
    Q_OBJECT

public:
    explicit ResultPage(WorkflowHost& host, QWidget* parent = nullptr);

    bool HandleCommand(int commandId) override;
    bool UpdateCommand(int commandId, CommandState& state) override;
    // Re-reads the result (its pixels change between runs) and writes the zoom text.
    void PageShown() override;
    void PageHidden() override;
    void ModifierKeysChanged(Qt::KeyboardModifiers modifiers) override;

    ImageView& View() const { return *view_; }

private:
    void ShowZoomText();

    ImageView* view_;
    bool shown_ = false;
};

}  // namespace lumivex
