// The operations the main window needs from the "Video" page: closing the current video, whether
// a video is loaded, and gathering the frames of an enhancement. The video player page implements
// them.
#pragma once

#include "app/ui/workflow_page.h"

namespace lumivex {

class VideoStepPage : public WorkflowPage {
    Q_OBJECT

public:
    using WorkflowPage::WorkflowPage;

    virtual void CloseVideo() = 0;
    virtual bool VideoLoaded() const = 0;
    // Gathers the frames around the current play position into the job (input kind 5) behind
    // the progress window; true when frames were added. Nothing happens without a seekable video.
    virtual bool GatherFramesForEnhance() = 0;
};

}  // namespace lumivex
