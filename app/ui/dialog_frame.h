// The title bar of the application's dialogs: a caption and a close button, no minimise or
// maximise button, as dialogs on a Linux desktop have.
#pragma once

class QWidget;

namespace lumivex {

// A dialog frame with caption and close button.
void SetDialogFrame(QWidget& dialog);
// A dialog frame with a caption only: the window cannot be closed from its title bar.
void SetCaptionOnlyFrame(QWidget& dialog);

}  // namespace lumivex
