#include "app/ui/dialog_frame.h"

#include <QWidget>

namespace lumivex {

void SetDialogFrame(QWidget& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
}

void SetCaptionOnlyFrame(QWidget& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

}  // namespace lumivex
