// Dropping files onto the main window: one video, or pictures, open as Open media would open
// them, with the same checks and messages.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <optional>

#include "app/core/media_choice.h"
#include "app/ui/main_window.h"

namespace lumivex {

namespace {

// The dropped local files, in the order given; nothing when anything else (a folder, a remote
// address, text) is among them or the files open no media.
std::optional<std::vector<std::string>> DroppedMedia(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return std::nullopt;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || !QFileInfo(path).isFile()) {
            return std::nullopt;
        }
        paths.push_back(path.toStdString());
    }
    if (!DropOpensMedia(paths)) {
        return std::nullopt;
    }
    return paths;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedMedia(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::optional<std::vector<std::string>> paths = DroppedMedia(event->mimeData());
    if (!paths) {
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has finished, so that the dragging program is not kept waiting
    // while a message box is shown.
    QMetaObject::invokeMethod(
        this,
        [this, paths = std::move(*paths)] {
            OpenMediaPaths(paths);
            RefreshCommands();
        },
        Qt::QueuedConnection);
}

}  // namespace lumivex
