// Command routing and the main window's own commands: Open media, Close media, View enhanced
// image, the bar toggles, help, web site, about, and the closing sequence.
#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

#include "app/core/app_strings.h"
#include "app/core/command_ids.h"
#include "app/core/file_filter.h"
#include "app/core/help_page.h"
#include "app/core/media_choice.h"
#include "app/ui/about_dialog.h"
#include "app/ui/browser.h"
#include "app/ui/dialog_frame.h"
#include "app/ui/enhance_runner.h"
#include "app/ui/main_window.h"
#include "app/ui/result_page.h"
#include "app/ui/step_container.h"
#include "app/ui/video_step_page.h"
#include "job/input_set.h"

namespace lumivex {

namespace {

// Passes every message on and remembers whether one was shown.
class NoticingSink : public MessageSink {
public:
    explicit NoticingSink(MessageSink& to) : to_(to) {}
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        shown_ = true;
        to_.ShowMessage(text, caption, icon);
    }
    bool Shown() const { return shown_; }

private:
    MessageSink& to_;
    bool shown_ = false;
};

// A question answered by Yes or No only: Escape and a close sent by the window manager leave it
// open, and its title bar offers no close button.
class YesNoQuestion : public QMessageBox {
public:
    YesNoQuestion(const QString& text, QWidget* parent)
        : QMessageBox(QMessageBox::Question, QString(), text, QMessageBox::Yes | QMessageBox::No,
                      parent) {
        SetCaptionOnlyFrame(*this);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

WorkflowFacts MainWindow::Facts() const {
    WorkflowFacts facts;
    facts.step = CurrentStep();
    facts.inputKind = job_.inputKind;
    facts.resultEmpty = job_.result.IsEmpty();
    facts.standardBarVisible = ToolBar(command::kStandardBar)->isVisible();
    facts.videoBarVisible = ToolBar(command::kVideoBar)->isVisible();
    facts.imageBarVisible = ToolBar(command::kImageBar)->isVisible();
    facts.resultBarVisible = ToolBar(command::kResultBar)->isVisible();
    facts.statusBarVisible = statusBar()->isVisible();
    if (const auto* page = dynamic_cast<const ResultPage*>(FindPage(step::kEnhance))) {
        facts.beforeAvailable = !enhanceRunner_->Results().Before().IsEmpty();
        facts.showingBefore = page->ShowingBefore();
    }
    return facts;
}

// The enabled and checked state of a command, asked in routing order: the reference sliders'
// own test, the current page, every other page, the main window. Unanswered commands are
// disabled.
CommandState MainWindow::EvaluateCommand(int commandId) const {
    const WorkflowFacts facts = Facts();
    if (commandId == command::kVideoReferenceSlider ||
        commandId == command::kImageReferenceSlider) {
        return *MainWindowCommandState(commandId, facts);
    }
    CommandState state;
    WorkflowPage* current = container_->CurrentPage();
    if (current != nullptr && current->UpdateCommand(commandId, state)) {
        return state;
    }
    for (WorkflowPage* page : container_->Pages()) {
        if (page != current && page->UpdateCommand(commandId, state)) {
            return state;
        }
    }
    return MainWindowCommandState(commandId, facts).value_or(CommandState{});
}

void MainWindow::RefreshCommands() {
    if (toolBars_.empty()) {
        return;
    }
    for (auto& [id, action] : actions_) {
        const CommandState state = EvaluateCommand(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) {
            action->setChecked(state.checked);
        }
    }
    for (auto& [id, sliders] : sliders_) {
        const bool enabled = EvaluateCommand(id).enabled;
        for (QSlider* slider : sliders) {
            slider->setEnabled(enabled);
        }
    }
}

void MainWindow::RunCommand(int commandId) {
    if (!EvaluateCommand(commandId).enabled) {
        RefreshCommands();
        return;
    }
    DispatchCommand(commandId);
    RefreshCommands();
}

void MainWindow::DispatchCommand(int commandId) {
    WorkflowPage* current = container_->CurrentPage();
    if (current != nullptr && current->HandleCommand(commandId)) {
        return;
    }
    for (WorkflowPage* page : container_->Pages()) {
        if (page != current && page->HandleCommand(commandId)) {
            return;
        }
    }
    HandleOwnCommand(commandId);
}

bool MainWindow::HandleOwnCommand(int commandId) {
    using namespace command;
    switch (commandId) {
        case kOpenMedia:
            OpenMedia();
            return true;
        case kCloseMedia:
            CloseMedia();
            return true;
        case kExit:
            close();
            return true;
        case kViewEnhancedImage:
            ViewEnhancedImage();
            return true;
        case kToggleStandardBar:
        case kToggleVideoBar:
        case kToggleImageBar:
        case kToggleResultBar:
            ToggleBar(ToolBar(commandId == kToggleStandardBar ? kStandardBar : commandId));
            return true;
        case kToggleStatusBar:
            ToggleBar(statusBar());
            return true;
        case kEnhance:
            Enhance();
            return true;
        case kSaveEnhancedImage:
            SaveEnhancedImage();
            return true;
        case kHelp:
            ShowHelp();
            return true;
        case kVisitWebSite:
        case kWelcomeWebLink:
            OpenInBrowser(text::kWebSiteAddress);
            return true;
        case kAbout:
        case kWelcomeAboutLink:
            ShowAbout();
            return true;
        case kShowBefore:
            if (auto* page = dynamic_cast<ResultPage*>(FindPage(step::kEnhance))) {
                page->SetShowingBefore(!page->ShowingBefore());
            }
            return true;
        case kZoomToFit:
        case kActualSize:
            if (auto* page = dynamic_cast<ImageViewPage*>(container_->CurrentPage())) {
                commandId == kZoomToFit ? page->View().ZoomToFit()
                                        : page->View().ZoomToActualSize();
            }
            return true;
        default:
            return false;
    }
}

void MainWindow::OpenMedia() {
    QFileDialog dialog(this, tr("Open"));
    SetDialogFrame(dialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    QStringList filters;
    for (const std::string& filter : PictureDialogNameFilters(text::kOpenMediaFilter)) {
        filters << QString::fromStdString(filter);
    }
    dialog.setNameFilters(filters);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles()) {
        paths.push_back(path.toStdString());
    }
    OpenMediaPaths(paths);
}

// Reset the job, close the video, show "Start".
void MainWindow::ResetMedia() {
    job_.Reset();
    enhanceRunner_->Results().Clear();
    if (auto* video = dynamic_cast<VideoStepPage*>(FindPage(step::kVideo))) {
        video->CloseVideo();
    }
    SetStep(step::kStart);
}

void MainWindow::OpenMediaPaths(const std::vector<std::string>& paths) {
    if (!MayDiscardResult(text::kSaveBeforeClosingMedia)) {
        return;
    }
    ResetMedia();
    job_.Reset();
    const MediaChoice choice = ChooseMedia(paths);
    if (choice.mode == MediaChoice::Mode::kImages) {
        std::vector<std::string> leftOut;
        for (const std::string& path : choice.imagePaths) {
            NoticingSink noticed(*messages_);
            if (!AddImageFile(job_, path, noticed) && !noticed.Shown()) {
                leftOut.push_back(path);
            }
        }
        if (!leftOut.empty()) {
            messages_->ShowMessage(LeftOutPicturesText(leftOut), {}, MessageIcon::kWarning);
        }
        SetStep(step::kSelection);
        return;
    }
    if (choice.mode == MediaChoice::Mode::kVideo) {
        job_.videoPath = choice.videoPath;
        job_.inputKind = kInputVideoChosen;
    }
    SetStep(step::kVideo);
    auto* video = dynamic_cast<VideoStepPage*>(FindPage(step::kVideo));
    if (video == nullptr || !video->VideoLoaded()) {
        SetStep(step::kStart);
    }
}

void MainWindow::CloseMedia() {
    if (MayDiscardResult(text::kSaveBeforeClosingMedia)) {
        ResetMedia();
    }
}

void MainWindow::ViewEnhancedImage() {
    SetStep(ViewToggleTarget(CurrentStep(), job_.inputKind));
}

void MainWindow::ToggleBar(QWidget* bar) {
    bar->setVisible(!bar->isVisible());
}

void MainWindow::ShowHelp() {
    const std::string page = FindHelpPage(ProgramFolder());
    if (page.empty()) {
        messages_->ShowMessage("The help page is not installed beside the program.", {},
                               MessageIcon::kWarning);
        return;
    }
    OpenInBrowser(page);
}

void MainWindow::OpenInBrowser(const std::string& target) {
    QPointer<MainWindow> window(this);
    OpenAddress(QString::fromStdString(target), this, [window, target] {
        if (window != nullptr) {
            window->messages_->ShowMessage(
                BrowserFailureMessage(target, FindHelpPage(ProgramFolder())), {},
                MessageIcon::kWarning);
        }
    });
}

void MainWindow::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!MayDiscardResult(text::kSaveBeforeClosing)) {
        event->ignore();
        return;
    }
    StorePlacement();
    CloseProgressWindow();
    for (WorkflowPage* page : container_->Pages()) {
        page->ClosePage();
    }
    event->accept();
}

bool MainWindow::MayDiscardResult(const char* question) {
    if (job_.result.IsEmpty() || !job_.resultReady) {
        return true;
    }
    YesNoQuestion ask(question, this);
    if (ask.exec() != QMessageBox::Yes) {
        return true;
    }
    return SaveEnhancedImage() == SaveOutcome::kWritten;
}

}  // namespace lumivex
