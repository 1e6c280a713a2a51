#include "app/ui/browser.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace lumivex {

bool OpenAddress(const QString& target) {
    const QUrl url =
        QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
    if (QDesktopServices::openUrl(url)) {
        return true;
    }
    return QProcess::startDetached("xdg-open", {url.toString()});
}

}  // namespace lumivex
