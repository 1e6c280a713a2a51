#include "tests/appvideo/fake_host.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/core/command_ids.h"

namespace lumivex::testing {

namespace {

ProgressSnapshot Snapshot(const ProgressWindow& window) {
    ProgressSnapshot snapshot;
    snapshot.caption = window.windowTitle();
    snapshot.text = window.MessageLabel()->text();
    snapshot.barVisible = !window.Bar()->isHidden();
    snapshot.cancelVisible = !window.CancelButton()->isHidden();
    snapshot.windowVisible = window.isVisible();
    return snapshot;
}

}  // namespace

void EnsureQtApplication() {
    ASSERT_NE(QApplication::instance(), nullptr) << "test_main.cpp creates the application";
}

FakeHost::FakeHost() {
    EnsureQtApplication();
    owner = std::make_unique<QWidget>();
    videoSlider = std::make_unique<QSlider>(Qt::Horizontal);
    secondVideoSlider = std::make_unique<QSlider>(Qt::Horizontal);
}

FakeHost::~FakeHost() {
    CloseProgressWindow();
}

QList<QSlider*> FakeHost::ReferenceSliders(int commandId) const {
    if (commandId != command::kVideoReferenceSlider) {
        return {};
    }
    return {videoSlider.get(), secondVideoSlider.get()};
}

ProgressWindow* FakeHost::OpenProgressWindow(const QString& caption) {
    if (progress == nullptr) {
        progress = new ProgressWindow(owner.get());
    }
    progress->BeginModal(caption);
    ++progressOpened;
    return progress;
}

void FakeHost::CloseProgressWindow() {
    if (progress == nullptr) {
        return;
    }
    lastProgress = Snapshot(*progress);
    progress->EndModal();
    delete progress;
    progress = nullptr;
}

void FakeHost::ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) {
    messages.ShowMessage(text, caption, icon);
    progressAtMessage.push_back(progress != nullptr ? Snapshot(*progress) : ProgressSnapshot{});
}

void FakeHost::ChooseVideo(const std::string& path) {
    job.Reset();
    job.videoPath = path;
    job.inputKind = kInputVideoChosen;
}

}  // namespace lumivex::testing
