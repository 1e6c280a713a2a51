// The title bar of the application's dialogs: a caption and a close button, no minimise or
// maximise button, as dialogs on a Linux desktop have. The flags become a dialog window type, a
// transient-for owner and Motif hints that offer move, resize and close only; window managers
// that honour those hints draw exactly that. Openbox ignores the Motif minimise and maximise
// bits: it offers maximise only to a window that can be resized (so dialogs whose content needs
// no more room have a fixed size) and minimise to every dialog, which it then minimises together
// with its owner.
#pragma once

class QWidget;

namespace lumivex {

// A dialog frame with caption and close button.
void SetDialogFrame(QWidget& dialog);
// A dialog frame with a caption only: the window cannot be closed from its title bar.
void SetCaptionOnlyFrame(QWidget& dialog);

}  // namespace lumivex
