#include "app/ui/browser.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <memory>

namespace lumivex {

namespace {

// xdg-open without a desktop waits for the browser it started; an exit this long after the
// start is the browser closing, not a failure to open.
constexpr qint64 kVerdictMilliseconds = 10000;

}  // namespace

void OpenAddress(const QString& target, QObject* context, std::function<void()> onFailure) {
    const QUrl url =
        QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
    const QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(url)) {
            onFailure();
        }
        return;
    }
    auto* process = new QProcess(context);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto started = std::make_shared<QElapsedTimer>();
    QObject::connect(process, &QProcess::finished, process,
                     [process, started, onFailure](int code, QProcess::ExitStatus status) {
                         const bool failed = status != QProcess::NormalExit || code != 0;
                         if (failed && started->elapsed() < kVerdictMilliseconds) {
                             onFailure();
                         }
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, onFailure](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             onFailure();
                             process->deleteLater();
                         }
                     });
    started->start();
    process->start(opener, {url.toString()});
}

}  // namespace lumivex
