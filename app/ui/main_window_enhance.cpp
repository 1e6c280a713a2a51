// The Enhance and Save enhanced image commands of the main window.
#include "app/ui/enhance_runner.h"
#include "app/ui/main_window.h"
#include "app/ui/save_image_dialog.h"
#include "job/input_set.h"

namespace lumivex {

// The profile dialog, the checks and the start of the worker; from then on the runner's timer
// polls the job until the run ends.
void MainWindow::Enhance() {
    enhanceRunner_->Run();
    RefreshCommands();
}

// Only a completed write counts as saved; after a failed one the close question still offers to
// save the result.
SaveOutcome MainWindow::SaveEnhancedImage() {
    const SaveOutcome outcome =
        SaveImageAs(this, job_.result, *messages_, ReferencePicturePath(job_));
    ApplySaveOutcome(job_, outcome);
    return outcome;
}

}  // namespace lumivex
