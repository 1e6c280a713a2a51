#include "app/ui/selection_page.h"

#include <QSignalBlocker>

#include <algorithm>

#include "app/core/command_ids.h"
#include "app/ui/workflow_host.h"
#include "job/job.h"

namespace lumivex {

namespace {

SelectionJobFields JobFields(EnhanceJob& job) {
    return {&job.inputKind, &job.referenceIndex, [&job] { return job.FrameCount(); }};
}

}  // namespace

SelectionPage::SelectionPage(WorkflowHost& host, QWidget* parent)
    : ImageViewPage(step::kSelection, host, parent), state_(JobFields(host.Job()), *this) {}

bool SelectionPage::HandleCommand(int commandId) {
    switch (commandId) {
        case command::kPreviousImage:
            state_.Previous();
            return true;
        case command::kNextImage:
            state_.Next();
            return true;
        default:
            break;
    }
    return ImageViewPage::HandleCommand(commandId);
}

bool SelectionPage::UpdateCommand(int commandId, CommandState& state) {
    if (commandId == command::kPreviousImage || commandId == command::kNextImage) {
        state.enabled = true;
        return true;
    }
    return ImageViewPage::UpdateCommand(commandId, state);
}

void SelectionPage::PageShown() {
    // New media replaced the frames while the page was hidden: drop the old picture before
    // anything paints it; preparing the new set binds the new reference.
    const auto& frames = Host().Job().frames;
    const bool current = std::any_of(frames.begin(), frames.end(), [this](const auto& frame) {
        return frame.get() == View().Picture();
    });
    if (!current) {
        View().SetPicture(nullptr, false);
    }
    Sliders();
    state_.Show();
}

void SelectionPage::PageHidden() {
    state_.Hide();
}

QList<QSlider*> SelectionPage::Sliders() {
    const QList<QSlider*> sliders = Host().ReferenceSliders(command::kImageReferenceSlider);
    for (QSlider* slider : sliders) {
        if (slider != nullptr && !connected_.contains(slider)) {
            connected_.append(slider);
            connect(slider, &QSlider::valueChanged, this,
                    [this](int position) { state_.PositionChanged(position); });
        }
    }
    return sliders;
}

void SelectionPage::PrepareSliders(int32_t minimum, int32_t maximum, int32_t pageSize) {
    for (QSlider* slider : Sliders()) {
        // A new range may pull the old position into it; that is no choice of the user's, and
        // must not move the reference of the set being prepared.
        const QSignalBlocker blocker(slider);
        slider->setRange(minimum, maximum);
        slider->setPageStep(pageSize);
    }
}

void SelectionPage::SetSliderPositions(int32_t position) {
    // A slider that moves reports back through valueChanged; the selection's guard ignores it.
    for (QSlider* slider : Sliders()) {
        slider->setValue(position);
    }
}

void SelectionPage::ShowFrame(int32_t index) {
    View().SetPicture(Host().Job().frames[index].get(), true);
}

void SelectionPage::SetStatusText(const std::string& text) {
    Host().SetPageStateText(QString::fromStdString(text));
}

}  // namespace lumivex
