#include "app/ui/placeholder_page.h"

#include <QLabel>
#include <QVBoxLayout>
#include <utility>

#include "app/core/command_ids.h"

namespace lumivex {

namespace {

void AddCentredText(WorkflowPage& page, const QString& text) {
    auto* layout = new QVBoxLayout(&page);
    auto* label = new QLabel(text, &page);
    label->setFont(page.RegularFont());
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
}

bool IsVideoCommand(int commandId) {
    return commandId == command::kPlay || commandId == command::kPause ||
           commandId == command::kStepBackward || commandId == command::kStepForward ||
           commandId == command::kExtractVideoFrames;
}

}  // namespace

PlaceholderPage::PlaceholderPage(std::string stepName, const QString& text, WorkflowHost& host,
                                 QWidget* parent)
    : WorkflowPage(std::move(stepName), host, parent) {
    AddCentredText(*this, text);
}

PlaceholderVideoPage::PlaceholderVideoPage(WorkflowHost& host, QWidget* parent)
    : VideoStepPage(step::kVideo, host, parent) {
    AddCentredText(*this, tr("Video playback is not available in this build."));
}

bool PlaceholderVideoPage::HandleCommand(int commandId) {
    return IsVideoCommand(commandId);
}

bool PlaceholderVideoPage::UpdateCommand(int commandId, CommandState& state) {
    if (!IsVideoCommand(commandId)) {
        return false;
    }
    state.enabled = commandId != command::kExtractVideoFrames;
    return true;
}

}  // namespace lumivex
