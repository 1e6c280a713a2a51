// The operations the main window needs from the "Video" page: closing the current video and
// whether a video is loaded. The video player page implements them.
#pragma once

#include "app/ui/workflow_page.h"

namespace lumivex {

class VideoStepPage : public WorkflowPage {
    Q_OBJECT

public:
    using WorkflowPage::WorkflowPage;

    virtual void CloseVideo() = 0;
    virtual bool VideoLoaded() const = 0;
};

}  // namespace lumivex
