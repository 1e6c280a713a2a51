#include "app/ui/video_page.h"

#include <QApplication>
#include <QResizeEvent>
#include <QSignalBlocker>

#include "app/core/command_ids.h"
#include "app/ui/extract_dialog.h"
#include "app/ui/progress_window.h"
#include "app/ui/video_view.h"
#include "app/ui/workflow_host.h"
#include "job/job.h"
#include "video/enhance_frames.h"

namespace lumivex {

namespace {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The progress window without bar and Cancel button, shown while frames are gathered and
// written, with the wait cursor. Messages sent through it hide the window first, so that the
// top-most window never covers a message box.
class ExtractionProgress : public MessageSink {
public:
    explicit ExtractionProgress(WorkflowHost& host) : host_(host) {
        window_ = host_.OpenProgressWindow(kWorkInProgressCaption);
        if (window_ != nullptr) {
            window_->SetText(kExtractingText);
            window_->SetTopMost();
            window_->SetControlVisible(ProgressWindow::kBarId, false);
            window_->SetControlVisible(ProgressWindow::kCancelButtonId, false);
            window_->repaint();
        }
    }
    ~ExtractionProgress() override { host_.CloseProgressWindow(); }
    ExtractionProgress(const ExtractionProgress&) = delete;
    ExtractionProgress& operator=(const ExtractionProgress&) = delete;

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        if (window_ != nullptr) {
            window_->hide();
        }
        host_.Messages().ShowMessage(text, caption, icon);
    }

private:
    WorkflowHost& host_;
    ProgressWindow* window_ = nullptr;
    WaitCursor cursor_;
};

bool IsPlayerCommand(int commandId) {
    return commandId == command::kPlay || commandId == command::kPause ||
           commandId == command::kStepBackward || commandId == command::kStepForward;
}

}  // namespace

VideoPage::VideoPage(WorkflowHost& host, QWidget* parent)
    : VideoStepPage(step::kVideo, host, parent) {
    view_ = new VideoView(model_.Player(), this);
    view_->setGeometry(rect());
    // Both arrive on the decoding thread; the view and the page take them over on this one.
    model_.Player().SetPictureSink(
        [view = view_](const video::BgrFrame& picture) { view->PostPicture(picture); });
    model_.Player().SetGraphNotify([this] {
        QMetaObject::invokeMethod(
            this, [this] { model_.Player().HandleGraphNotify(); }, Qt::QueuedConnection);
    });
    positionTimer_.setInterval(kPositionTickMs);
    layoutTimer_.setInterval(kLayoutTickMs);
    connect(&positionTimer_, &QTimer::timeout, this, &VideoPage::PositionTick);
    connect(&layoutTimer_, &QTimer::timeout, this, &VideoPage::LayoutTick);
}

VideoPage::~VideoPage() {
    // The decoding thread stops before the view it paints into goes away.
    model_.CloseVideo();
}

void VideoPage::CloseVideo() {
    model_.CloseVideo();
    view_->Clear();
}

void VideoPage::resizeEvent(QResizeEvent* event) {
    const QSize size = event->size();
    if (size.width() + size.height() > 0) {
        view_->resize(size);
    }
    VideoStepPage::resizeEvent(event);
}

void VideoPage::PageShown() {
    if (Host().Job().inputKind == kInputVideoChosen && Load() == video::LoadOutcome::kFailed) {
        return;
    }
    if (model_.Ready()) {
        positionTimer_.start();
    }
    layoutTimer_.start();
    ShowStatusText();
}

void VideoPage::PageHidden() {
    positionTimer_.stop();
    layoutTimer_.stop();
    Host().SetPageStateText(QString());
}

video::LoadOutcome VideoPage::Load() {
    view_->Clear();
    video::LoadOutcome outcome;
    {
        WaitCursor cursor;
        outcome = model_.Load(Host().Job(), Host().Messages());
    }
    if (outcome == video::LoadOutcome::kLoaded) {
        PrepareSliders();
    }
    return outcome;
}

void VideoPage::ShowStatusText() {
    if (model_.VideoLoaded()) {
        Host().SetPageStateText(QString::fromStdString(model_.StatusText()));
    }
}

QList<QSlider*> VideoPage::Sliders() {
    const QList<QSlider*> sliders = Host().ReferenceSliders(command::kVideoReferenceSlider);
    for (QSlider* slider : sliders) {
        if (slider != nullptr && !connected_.contains(slider)) {
            connected_.append(slider);
            connect(slider, &QSlider::valueChanged, this, &VideoPage::SliderMoved);
        }
    }
    return sliders;
}

void VideoPage::PrepareSliders() {
    // Values 0 ... range; the top one seeks the last position.
    const int32_t range = model_.SliderRange();
    const int32_t pageSize = video::SliderPageSize(range);
    for (QSlider* slider : Sliders()) {
        const QSignalBlocker blocker(slider);
        slider->setRange(0, range);
        slider->setPageStep(pageSize);
        slider->update();
    }
}

void VideoPage::SliderMoved(int value) {
    for (QSlider* slider : Sliders()) {
        if (slider->value() != value) {
            const QSignalBlocker blocker(slider);
            slider->setValue(value);
        }
    }
    model_.SliderMoved(value);
}

void VideoPage::PositionTick() {
    int64_t value = 0;
    const bool changed = model_.PositionTick(Host().Job(), value);
    if (model_.VideoLoaded() && model_.Duration() != 0) {
        if (changed) {
            ShowStatusText();
        }
        for (QSlider* slider : Sliders()) {
            // The user's drag wins over the playback.
            if (!slider->isSliderDown() && slider->value() != value) {
                const QSignalBlocker blocker(slider);
                slider->setValue(static_cast<int>(value));
                slider->update();
            }
        }
    }
    LayoutTick();
}

void VideoPage::LayoutTick() {
    const QRect screenRect(view_->mapToGlobal(QPoint(0, 0)), view_->size());
    if (screenRect != lastScreenRect_) {
        view_->Reshow();
        lastScreenRect_ = screenRect;
    }
}

bool VideoPage::HandleCommand(int commandId) {
    switch (commandId) {
        case command::kPlay:
            model_.Play();
            return true;
        case command::kPause:
            model_.PauseVideo();
            return true;
        case command::kStepBackward:
            model_.Step(-1);
            return true;
        case command::kStepForward:
            model_.Step(+1);
            return true;
        case command::kExtractVideoFrames:
            ExtractVideoFrames();
            return true;
        default:
            return false;
    }
}

bool VideoPage::UpdateCommand(int commandId, CommandState& state) {
    if (IsPlayerCommand(commandId)) {
        state.enabled = true;
        return true;
    }
    if (commandId == command::kExtractVideoFrames) {
        state.enabled = model_.CanGather() && isVisible();
        return true;
    }
    return false;
}

void VideoPage::ExtractVideoFrames() {
    if (model_.Player().State() == video::kPlayerRunning) {
        model_.PauseVideo();
    }
    CVideoExtractDlg dialog(Host().Settings(), Host().Messages(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    ExtractFrames(dialog.Extraction());
}

video::ExtractionReport VideoPage::ExtractFrames(const video::ExtractionSettings& settings) {
    if (!model_.CanGather()) {
        return {};
    }
    ExtractionProgress progress(Host());
    return video::ExtractVideoFrames(model_, Host().Job().videoPath, settings, progress);
}

bool VideoPage::GatherFramesForEnhance() {
    if (!model_.CanGather()) {
        return false;
    }
    ExtractionProgress progress(Host());
    return video::GatherFramesForEnhancement(model_, Host().Job(), progress);
}

}  // namespace lumivex
