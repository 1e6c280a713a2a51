#include "app/ui/result_page.h"

#include "app/core/view_geometry.h"
#include "app/ui/workflow_host.h"
#include "job/job.h"

namespace lumivex {

namespace {
constexpr int kResultViewId = 9101;
}

ResultPage::ResultPage(WorkflowHost& host, QWidget* parent)
    : ImageViewPage(step::kEnhance, host, parent) {
    View().setObjectName(QStringLiteral("ImageView%1").arg(kResultViewId));
    View().SetPicture(&host.Job().result, false);
    connect(&View(), &ImageView::viewChanged, this, [this] { ShowZoomText(); });
}

void ResultPage::PageShown() {
    shown_ = true;
    View().Relayout();
    ShowZoomText();
}

void ResultPage::PageHidden() {
    shown_ = false;
    Host().SetPageStateText({});
}

void ResultPage::ShowZoomText() {
    if (shown_) {
        Host().SetPageStateText(QString::fromStdString(ZoomStatusText(View().Zoom())));
    }
}

}  // namespace lumivex
