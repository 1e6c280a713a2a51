// The main window as the "Video" page sees it: the job, status pane 1, two "Ref:" sliders of
// the video bar (as on two toolbars), messages, settings and a real progress window whose state
// is recorded when a message arrives.
#pragma once

#include <QSlider>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/core/settings_store.h"
#include "app/ui/progress_window.h"
#include "app/ui/workflow_host.h"
#include "job/job.h"
#include "image/message_sink.h"

namespace lumivex::testing {

void EnsureQtApplication();

// Lets the event loop deliver queued pictures and notifications until done() or the time-out.
template <typename Done>
bool ProcessEventsUntil(Done done, int timeoutMs = 5000);

struct ProgressSnapshot {
    QString caption;
    QString text;
    bool barVisible = true;
    bool cancelVisible = true;
    bool windowVisible = false;
};

class FakeHost : public WorkflowHost, public MessageSink {
public:
    FakeHost();
    ~FakeHost() override;

    EnhanceJob& Job() override { return job; }
    void SetStep(const std::string& name) override { step = name; }
    WorkflowPage* FindPage(const std::string&) const override { return nullptr; }
    const std::string& CurrentStep() const override { return step; }
    void SetPageStateText(const QString& text) override { paneText = text; }
    QList<QSlider*> ReferenceSliders(int commandId) const override;
    MessageSink& Messages() override { return *this; }
    ProgressWindow* OpenProgressWindow(const QString& caption) override;
    void CloseProgressWindow() override;
    void RunCommand(int) override {}
    void RefreshCommands() override {}
    SettingsStore* Settings() override { return &settings; }

    // MessageSink: records the message and the progress window as it was at that moment.
    void ShowMessage(const std::string& text, const std::string& caption = {},
                     MessageIcon icon = MessageIcon::kInformation) override;

    // Chooses a video the way Open media does.
    void ChooseVideo(const std::string& path);

    EnhanceJob job;
    std::string step = "Video";
    QString paneText = "untouched";
    std::unique_ptr<QWidget> owner;
    std::unique_ptr<QSlider> videoSlider;
    std::unique_ptr<QSlider> secondVideoSlider;
    CollectingMessageSink messages;
    std::vector<ProgressSnapshot> progressAtMessage;
    MemorySettingsStore settings;
    ProgressWindow* progress = nullptr;
    ProgressSnapshot lastProgress;  // as it stood when it was closed
    int progressOpened = 0;
};

}  // namespace lumivex::testing

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace lumivex::testing {

template <typename Done>
bool ProcessEventsUntil(Done done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

}  // namespace lumivex::testing
