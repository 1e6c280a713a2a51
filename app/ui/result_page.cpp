#include "app/ui/result_page.h"

#include "app/core/result_keeper.h"
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

const RgbImage* ResultPage::Before() const {
    const ResultKeeper* results = Host().Results();
    if (results == nullptr || results->Before().IsEmpty() || Host().Job().result.IsEmpty()) {
        return nullptr;
    }
    return &results->Before();
}

void ResultPage::PageShown() {
    shown_ = true;
    // A new result (or none) starts on the result itself.
    const ResultKeeper* results = Host().Results();
    const int32_t generation = results != nullptr ? results->Generation() : 0;
    if (generation != seenGeneration_) {
        seenGeneration_ = generation;
        showingBefore_ = false;
        View().ReplacePicture(&Host().Job().result);
    }
    View().Relayout();
    ShowZoomText();
    ShowInfoText();
}

void ResultPage::PageHidden() {
    shown_ = false;
    Host().SetPageStateText({});
    Host().SetResultInfoText({});
}

void ResultPage::SetShowingBefore(bool before) {
    const RgbImage* picture = before ? Before() : nullptr;
    showingBefore_ = picture != nullptr;
    View().ReplacePicture(showingBefore_ ? picture : &Host().Job().result);
    ShowInfoText();
}

void ResultPage::ShowZoomText() {
    if (shown_) {
        Host().SetPageStateText(QString::fromStdString(ZoomStatusText(View().Zoom())));
    }
}

void ResultPage::ShowInfoText() {
    const ResultKeeper* results = Host().Results();
    if (!shown_ || results == nullptr) {
        return;
    }
    const bool hasResult = !Host().Job().result.IsEmpty();
    Host().SetResultInfoText(
        hasResult ? QString::fromStdString(ComparisonStatusText(results->Summary(), showingBefore_))
                  : QString());
}

}  // namespace lumivex
