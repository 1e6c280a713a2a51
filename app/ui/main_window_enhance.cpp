// The Enhance and Save enhanced image commands of the main window.
#include "app/ui/main_window.h"

namespace lumivex {

// The profile dialog, the progress window and the worker poll are not part of this build yet:
// the command is routed and enabled by its rule but does nothing.
void MainWindow::Enhance() {}

// Saving needs the save dialog of the enhance command; nothing is written yet.
void MainWindow::SaveEnhancedImage() {}

}  // namespace lumivex
