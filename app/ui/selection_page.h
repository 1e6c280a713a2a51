// The "Selection" step of a still-image set: one image at a time in the image view, the image
// shown being the job's reference. The "Ref:" sliders of the "Image Reference Selection"
// toolbar, Previous image (Left) and Next image (Right) move through the set; status pane 1
// reads "Image %d of %d". The rules live in SelectionState.
#pragma once

#include <QList>
#include <QPointer>
#include <QSlider>

#include "app/core/selection_state.h"
#include "app/ui/image_view.h"

namespace lumivex {

class SelectionPage : public ImageViewPage, private SelectionHost {
    Q_OBJECT

public:
    explicit SelectionPage(WorkflowHost& host, QWidget* parent = nullptr);

    bool HandleCommand(int commandId) override;
    bool UpdateCommand(int commandId, CommandState& state) override;
    void PageShown() override;
    void PageHidden() override;

    const SelectionState& State() const { return state_; }

private:
    // SelectionHost
    void PrepareSliders(int32_t minimum, int32_t maximum, int32_t pageSize) override;
    void SetSliderPositions(int32_t position) override;
    void ShowFrame(int32_t index) override;
    void SetStatusText(const std::string& text) override;

    // The toolbar sliders, connected once each (the toolbars may be built after the pages).
    QList<QSlider*> Sliders();

    SelectionState state_;
    QList<QPointer<QSlider>> connected_;
};

}  // namespace lumivex
