#include "app/ui/message_box_sink.h"

#include <QMessageBox>

#include "app/core/app_strings.h"

namespace lumivex {

void MessageBoxSink::ShowMessage(const std::string& text, const std::string& caption) {
    const QString title =
        caption.empty() ? QString(text::kApplicationName) : QString::fromStdString(caption);
    QMessageBox box(QMessageBox::NoIcon, title, QString::fromStdString(text), QMessageBox::Ok,
                    owner_);
    box.exec();
}

}  // namespace lumivex
