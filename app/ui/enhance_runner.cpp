#include "app/ui/enhance_runner.h"

#include <QTimer>
#include <QWidget>

#include "app/core/app_strings.h"
#include "app/core/workflow.h"
#include "app/ui/dialog_frame.h"
#include "app/ui/profile_dialog.h"
#include "app/ui/progress_window.h"
#include "app/ui/video_step_page.h"
#include "app/ui/workflow_host.h"

namespace lumivex {

namespace {

constexpr const char* kProgressCaption = "Work in progress";

}  // namespace

EnhanceRunner::EnhanceRunner(WorkflowHost& host, QWidget* window, const ProfileList& profiles)
    : QObject(window),
      host_(host),
      window_(window),
      profiles_(profiles),
      command_(host.Job(), profiles, *this),
      timer_(new QTimer(this)) {
    timer_->setInterval(kEnhancePollMilliseconds);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (command_.Tick()) {
            host_.RefreshCommands();  // the result and the window's state changed
        }
    });
}

bool EnhanceRunner::ChooseProfile() {
    CProfileDlg dialog(host_.Job(), profiles_, window_);
    SetDialogFrame(dialog);
    return dialog.exec() == QDialog::Accepted;
}

bool EnhanceRunner::GatherVideoFrames() {
    auto* video = dynamic_cast<VideoStepPage*>(host_.FindPage(step::kVideo));
    if (video == nullptr) {
        return false;
    }
    // Whether anything was gathered shows in the job's frames; a failure was told already.
    video->GatherFramesForEnhance();
    return true;
}

void EnhanceRunner::OpenProgress() {
    progress_ = host_.OpenProgressWindow(kProgressCaption);
    if (progress_ == nullptr) {
        return;
    }
    progress_->SetText(text::kEnhancingMessage);
    progress_->SetTopMost();
    progress_->SetRange(0, 100, 1);
    progress_->SetPosition(0);
}

void EnhanceRunner::CloseProgress() {
    host_.CloseProgressWindow();
    progress_ = nullptr;
}

bool EnhanceRunner::ProgressCancelled() const {
    return progress_ != nullptr && progress_->Cancelled();
}

void EnhanceRunner::SetProgressPosition(int32_t position) {
    if (progress_ != nullptr) {
        progress_->SetPosition(position);
    }
}

void EnhanceRunner::StartPolling() {
    timer_->start();
}

void EnhanceRunner::StopPolling() {
    timer_->stop();
}

void EnhanceRunner::ShowStep(const std::string& name) {
    host_.SetStep(name);
}

MessageSink& EnhanceRunner::Messages() {
    return host_.Messages();
}

}  // namespace lumivex
