// Stand-ins for pages whose real content is not part of this build: a page that shows one line
// of text under the gradient band, and a "Video" page that never loads a video.
#pragma once

#include <QString>

#include "app/ui/video_step_page.h"

class QLabel;

namespace lumivex {

class PlaceholderPage : public WorkflowPage {
    Q_OBJECT

public:
    PlaceholderPage(std::string stepName, const QString& text, WorkflowHost& host,
                    QWidget* parent = nullptr);
};

// Without video playback, the "Video" page reports no loaded video, so Open media on a video
// returns to "Start". It still answers the video commands the way the player does (play, pause
// and the frame steps are always enabled; extraction needs a loaded video).
class PlaceholderVideoPage : public VideoStepPage {
    Q_OBJECT

public:
    PlaceholderVideoPage(WorkflowHost& host, QWidget* parent = nullptr);

    void CloseVideo() override {}
    bool VideoLoaded() const override { return false; }
    bool GatherFramesForEnhance() override { return false; }
    bool HandleCommand(int commandId) override;
    bool UpdateCommand(int commandId, CommandState& state) override;
};

}  // namespace lumivex
