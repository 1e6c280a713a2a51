// The "Video" step: the player's window showing the open video, the "Ref:" sliders of the
// "Video Reference Selection" toolbar, Play, Pause, Step backward and Step forward, the
// extraction of frames around the play position, and the gathering of the frames of an
// enhancement. The video is loaded the first time the page is shown after a video was chosen;
// a 250 ms tick follows the play position (status pane 1, sliders, input kind) and a 1000 ms
// tick re-shows the picture when the window moved. The rules live in video::VideoPageModel.
#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSlider>
#include <QTimer>

#include "app/ui/video_step_page.h"
#include "video/frame_extraction.h"
#include "video/video_page_model.h"

namespace lumivex {

class VideoView;

inline constexpr const char* kWorkInProgressCaption = "Work in progress";
inline constexpr const char* kExtractingText = "Lumivex is extracting images. \n\nPlease wait ...";
inline constexpr int kPositionTickMs = 250;
inline constexpr int kLayoutTickMs = 1000;

class VideoPage : public VideoStepPage {
    Q_OBJECT

public:
    explicit VideoPage(WorkflowHost& host, QWidget* parent = nullptr);
    ~VideoPage() override;

    // --- VideoStepPage ---
    void CloseVideo() override;
    bool VideoLoaded() const override { return model_.VideoLoaded(); }
    bool GatherFramesForEnhance() override;

    // --- WorkflowPage ---
    bool HandleCommand(int commandId) override;
    bool UpdateCommand(int commandId, CommandState& state) override;
    void PageShown() override;
    void PageHidden() override;
    void ClosePage() override { CloseVideo(); }

    const video::VideoPageModel& Model() const { return model_; }
    VideoView& View() const { return *view_; }
    bool PositionTimerActive() const { return positionTimer_.isActive(); }
    bool LayoutTimerActive() const { return layoutTimer_.isActive(); }

    // The 250 ms tick: the position, the status text, the input kind and the sliders; then the
    // layout tick.
    void PositionTick();
    // The 1000 ms tick: re-shows the player's window when it moved or changed size on screen.
    void LayoutTick();
    // The extraction once its dialog was confirmed (the command shows the dialog first).
    video::ExtractionReport ExtractFrames(const video::ExtractionSettings& settings);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    video::LoadOutcome Load();
    void ShowStatusText();
    void PrepareSliders();
    void SliderMoved(int value);
    void ExtractVideoFrames();
    // The toolbar sliders, connected once each.
    QList<QSlider*> Sliders();

    video::VideoPageModel model_;
    VideoView* view_ = nullptr;
    QTimer positionTimer_;
    QTimer layoutTimer_;
    QRect lastScreenRect_;
    QList<QPointer<QSlider>> connected_;
};

}  // namespace lumivex
