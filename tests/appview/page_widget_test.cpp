#include <gtest/gtest.h>
#include <QSlider>

#include <memory>
#include <ostream>

#include "app/core/command_ids.h"
#include "app/ui/image_view.h"
#include "app/ui/result_page.h"
#include "app/ui/selection_page.h"
#include "app/ui/workflow_host.h"
#include "job/job.h"
#include "image/message_sink.h"
#include "image/rgb_image.h"
#include "tests/appview/qt_test_app.h"

// Readable pane texts in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace lumivex {
namespace {

// The main window as far as the pages see it: the job, status pane 1 and the image bar's slider.
class FakeHost : public WorkflowHost {
public:
    FakeHost() {
        EnsureQtApplication();
        slider = std::make_unique<QSlider>(Qt::Horizontal);
    }
    EnhanceJob& Job() override { return job; }
    void SetStep(const std::string& name) override { step = name; }
    WorkflowPage* FindPage(const std::string&) const override { return nullptr; }
    const std::string& CurrentStep() const override { return step; }
    void SetPageStateText(const QString& text) override { paneText = text; }
    QList<QSlider*> ReferenceSliders(int commandId) const override {
        return commandId == command::kImageReferenceSlider ? QList<QSlider*>{slider.get()}
                                                           : QList<QSlider*>{};
    }
    MessageSink& Messages() override { return messages; }
    ProgressWindow* OpenProgressWindow(const QString&) override { return nullptr; }
    void CloseProgressWindow() override {}
    void RunCommand(int commandId) override { ranCommand = commandId; }
    void RefreshCommands() override { ++refreshes; }

    // A freshly opened set of count pictures, count × 8 wide so each can be told apart.
    void LoadSet(int count) {
        job.Reset();
        job.inputKind = kInputImageSet;
        for (int i = 0; i < count; ++i) {
            auto frame = std::make_unique<RgbImage>();
            frame->Allocate(8 * (i + 1), 8, 24);
            job.frames.push_back(std::move(frame));
        }
    }

    EnhanceJob job;
    std::string step = "Selection";
    QString paneText = "untouched";
    std::unique_ptr<QSlider> slider;
    CollectingMessageSink messages;
    int refreshes = 0;
    int ranCommand = 0;
};

TEST(SelectionPageWidget, ShowsTheReferenceAndStepsThroughTheSet) {
    FakeHost host;
    SelectionPage page(host);
    page.resize(200, 100);
    host.LoadSet(3);

    page.PageShown();
    EXPECT_EQ(host.job.inputKind, kInputImageSetSelection);
    EXPECT_EQ(host.job.referenceIndex, 0);
    EXPECT_EQ(host.paneText, "Image 1 of 3");
    EXPECT_EQ(page.View().Picture(), host.job.frames[0].get());
    EXPECT_EQ(host.slider->minimum(), 0);
    EXPECT_EQ(host.slider->maximum(), 2);
    EXPECT_EQ(host.slider->pageStep(), 1);

    page.View().SetZoom(2.0);
    EXPECT_TRUE(page.HandleCommand(command::kNextImage));
    EXPECT_EQ(host.job.referenceIndex, 1);
    EXPECT_EQ(host.slider->value(), 1);
    EXPECT_EQ(page.View().Picture(), host.job.frames[1].get());
    EXPECT_DOUBLE_EQ(page.View().Zoom(), 2.0);  // stepping keeps the zoom
    EXPECT_EQ(host.paneText, "Image 2 of 3");

    host.slider->setValue(2);  // the user drags the slider
    EXPECT_EQ(host.job.referenceIndex, 2);
    EXPECT_EQ(host.paneText, "Image 3 of 3");
    page.HandleCommand(command::kNextImage);  // no wrap-around
    EXPECT_EQ(host.job.referenceIndex, 2);

    page.PageHidden();
    EXPECT_EQ(host.paneText, "");
    page.HandleCommand(command::kPreviousImage);  // Left from another step
    EXPECT_EQ(host.job.referenceIndex, 1);
    EXPECT_EQ(host.paneText, "");
    page.PageShown();  // back on the page: no new preparation
    EXPECT_EQ(host.job.referenceIndex, 1);
    EXPECT_EQ(host.paneText, "Image 2 of 3");
    EXPECT_DOUBLE_EQ(page.View().Zoom(), 2.0);
}

TEST(SelectionPageWidget, NewMediaStartsOnTheFirstImage) {
    FakeHost host;
    SelectionPage page(host);
    host.LoadSet(5);
    page.PageShown();
    for (int i = 0; i < 4; ++i) {
        page.HandleCommand(command::kNextImage);
    }
    EXPECT_EQ(host.slider->value(), 4);
    page.PageHidden();
    // The smaller range pulls the slider from 4 to 2; that must not pick image 3 of the new set.
    host.LoadSet(3);
    page.PageShown();
    EXPECT_EQ(host.job.referenceIndex, 0);
    EXPECT_EQ(host.slider->maximum(), 2);
    EXPECT_EQ(host.slider->value(), 0);
    EXPECT_EQ(page.View().Picture(), host.job.frames[0].get());
    EXPECT_EQ(host.paneText, "Image 1 of 3");

    host.LoadSet(0);  // every file of the new selection failed to load
    page.PageShown();
    EXPECT_EQ(page.View().Picture(), nullptr);
    EXPECT_FALSE(page.View().Geometry().HasPicture());
    EXPECT_EQ(host.paneText, "Image 0 of 0");
}

TEST(ResultPageWidget, ShowsTheZoomOfTheResult) {
    FakeHost host;
    ResultPage page(host);
    page.resize(200, 100);
    host.job.result.Allocate(400, 300, 24);
    page.PageShown();
    EXPECT_EQ(host.paneText, "Zoom 100%");
    EXPECT_EQ(page.View().Geometry().PictureWidth(), 400);
    page.View().SetZoom(1.2);
    EXPECT_EQ(host.paneText, "Zoom 120%");
    page.PageHidden();
    EXPECT_EQ(host.paneText, "");
    page.View().SetZoom(1.4);  // hidden: the pane belongs to another step
    EXPECT_EQ(host.paneText, "");

    // A failed run leaves an empty result: the view is dark grey, the zoom is kept.
    host.job.result.Release();
    page.PageShown();
    EXPECT_FALSE(page.View().Geometry().HasPicture());
    EXPECT_EQ(host.paneText, "Zoom 140%");
}

TEST(ResultPageWidget, AnswersTheToolCommands) {
    FakeHost host;
    ResultPage page(host);
    ImageViewTools::Shared().SelectTool(ViewTool::kHand);
    CommandState state;
    EXPECT_TRUE(page.HandleCommand(command::kZoomTool));
    EXPECT_EQ(ImageViewTools::Shared().ActiveTool(), ViewTool::kZoom);
    EXPECT_TRUE(page.UpdateCommand(command::kZoomTool, state));
    EXPECT_TRUE(state.checked);
    EXPECT_FALSE(page.HandleCommand(command::kNextImage));
    ImageViewTools::Shared().SelectTool(ViewTool::kHand);
}

}  // namespace
}  // namespace lumivex
