#include "app/ui/result_page.h"

#include <QVBoxLayout>

#include "app/core/view_geometry.h"
#include "app/ui/image_view.h"
#include "app/ui/workflow_host.h"
#include "engine/job.h"

namespace lumivex {

namespace {
constexpr int kResultViewId = 9101;
}

ResultPage::ResultPage(WorkflowHost& host, QWidget* parent)
    : WorkflowPage(step::kEnhance, host, parent), view_(new ImageView(this)) {
    view_->setObjectName(QStringLiteral("ImageView%1").arg(kResultViewId));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->SetPicture(&host.Job().result, false);
    connect(view_, &ImageView::viewChanged, this, [this] { ShowZoomText(); });
}

bool ResultPage::HandleCommand(int commandId) {
    return ImageViewTools::Shared().HandleCommand(commandId);
}

bool ResultPage::UpdateCommand(int commandId, CommandState& state) {
    return ImageViewTools::Shared().UpdateCommand(commandId, state);
}

void ResultPage::PageShown() {
    shown_ = true;
    view_->Relayout();
    ShowZoomText();
}

void ResultPage::PageHidden() {
    shown_ = false;
    Host().SetPageStateText({});
}

void ResultPage::ModifierKeysChanged(Qt::KeyboardModifiers modifiers) {
    ImageViewTools::Shared().SetModifiers(modifiers);
}

void ResultPage::ShowZoomText() {
    if (shown_) {
        Host().SetPageStateText(QString::fromStdString(ZoomStatusText(view_->Zoom())));
    }
}

}  // namespace lumivex
