#include "app/ui/message_box_sink.h"

#include "app/core/app_strings.h"
#include "app/ui/dialog_frame.h"

namespace lumivex {

QMessageBox::Icon MessageBoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kQuestion:
            return QMessageBox::Question;
        case MessageIcon::kWarning:
            return QMessageBox::Warning;
        case MessageIcon::kError:
            return QMessageBox::Critical;
        case MessageIcon::kInformation:
            break;
    }
    return QMessageBox::Information;
}

void MessageBoxSink::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon) {
    const QString title =
        caption.empty() ? QString(text::kApplicationName) : QString::fromStdString(caption);
    QMessageBox box(MessageBoxIcon(icon), title, QString::fromStdString(text), QMessageBox::Ok,
                    owner_);
    SetDialogFrame(box);
    box.exec();
}

}  // namespace lumivex
