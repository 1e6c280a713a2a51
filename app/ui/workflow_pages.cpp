#include "app/ui/workflow_pages.h"

#include "app/ui/result_page.h"
#include "app/ui/selection_page.h"
#include "app/ui/step_container.h"
#include "app/ui/video_page.h"
#include "app/ui/welcome_page.h"

namespace lumivex {

void CreateWorkflowPages(StepContainer& container, WorkflowHost& host) {
    container.AddPage(new WelcomePage(host));
    container.AddPage(new SelectionPage(host));
    container.AddPage(new ResultPage(host));
    container.AddPage(new VideoPage(host));
}

}  // namespace lumivex
