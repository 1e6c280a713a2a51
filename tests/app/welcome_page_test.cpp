#include "app/ui/welcome_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>

#include "app/core/command_ids.h"
#include "app/ui/main_window.h"
#include "qt_test_application.h"

namespace lumivex {
namespace {

class WelcomePageTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::TestApplication(); }

    static void Hover(QWidget* widget, bool inside) {
        if (inside) {
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QApplication::sendEvent(widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(widget, &leave);
        }
    }

    MemorySettingsStore settings_;
    CollectingMessageSink messages_;
};

TEST_F(WelcomePageTest, ShowsTheHeadingAndTheFiveLines) {
    MainWindow window(settings_, &messages_);
    auto* page = dynamic_cast<WelcomePage*>(window.FindPage("Start"));
    ASSERT_NE(page, nullptr);
    QStringList texts;
    for (QLabel* label : page->findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("Welcome to Lumivex"));
    EXPECT_TRUE(texts.contains("<b>Getting started</b>"));
    EXPECT_TRUE(texts.contains("<b>&quot;Open&quot;</b> - Load your video file"));
    EXPECT_TRUE(texts.contains(
        "<b>&quot;Enhance&quot;</b> - Enhance the selected frame using SuperResolution"));
    EXPECT_TRUE(texts.contains("<b>&quot;View&quot;</b> - View the enhanced image"));
    EXPECT_TRUE(texts.contains("<b>&quot;Save&quot;</b> - Save the enhanced image"));
}

TEST_F(WelcomePageTest, FooterNamesTheVersionOrTheAddressWhileALinkIsHovered) {
    MainWindow window(settings_, &messages_);
    auto* page = dynamic_cast<WelcomePage*>(window.FindPage("Start"));
    const QString notice = page->FooterText();
    EXPECT_FALSE(notice.isEmpty());
    Hover(page->AboutLink(), true);
    EXPECT_EQ(page->FooterText(), "Version 0.1 Build 550");
    Hover(page->AboutLink(), false);
    EXPECT_EQ(page->FooterText(), notice);
    Hover(page->WebLink(), true);
    EXPECT_TRUE(page->FooterText().startsWith("https://"));
    Hover(page->WebLink(), false);
    EXPECT_EQ(page->FooterText(), notice);
}

TEST_F(WelcomePageTest, RichTextKeepsTheQuotesAndEscapesMarkup) {
    const QStringList lines = WelcomeLinesAsRichText("Head\n\"A&B\" - x<y\nplain");
    EXPECT_EQ(lines, (QStringList{"<b>Head</b>", "<b>&quot;A&amp;B&quot;</b> - x&lt;y", "plain"}));
}

TEST_F(WelcomePageTest, GradientRunsFromLightBlueTowardsTheWindowColour) {
    const QColor white(255, 255, 255);
    EXPECT_EQ(GradientBandColour(0, white), QColor(210, 220, 250));
    EXPECT_EQ(GradientBandColour(10, white), QColor(232, 237, 252));
    EXPECT_EQ(GradientBandColour(19, white), QColor(252, 253, 254));
}

}  // namespace
}  // namespace lumivex

#include "app/ui/about_dialog.h"

namespace lumivex {
namespace {

TEST_F(WelcomePageTest, AboutBoxShowsNameInBoldAndTheVersion) {
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About ");
    EXPECT_EQ(about.NameLabel()->text(), "Lumivex");
    EXPECT_TRUE(about.NameLabel()->font().bold());
    EXPECT_EQ(about.VersionLabel()->text(), "version 0.1.0.550");
}

}  // namespace
}  // namespace lumivex
