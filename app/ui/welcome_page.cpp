#include "app/ui/welcome_page.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "app/core/app_strings.h"
#include "app/core/command_ids.h"
#include "app/core/version_text.h"
#include "app/ui/app_icons.h"
#include "app/ui/workflow_host.h"

namespace lumivex {

namespace {

constexpr int kPictureSide = 96;
constexpr int kLinkSide = 32;

}  // namespace

PictureLink::PictureLink(const QPixmap& picture, const QString& toolTip, QWidget* parent)
    : QLabel(parent) {
    setPixmap(picture);
    setToolTip(toolTip);
    setCursor(Qt::PointingHandCursor);
}

void PictureLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void PictureLink::enterEvent(QEnterEvent* /*event*/) {
    emit hovered(true);
}

void PictureLink::leaveEvent(QEvent* /*event*/) {
    emit hovered(false);
}

QStringList WelcomeLinesAsRichText(const QString& body) {
    QStringList lines = body.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i].toHtmlEscaped();
        if (i == 0) {
            lines[i] = "<b>" + line + "</b>";
            continue;
        }
        const int closing = line.indexOf("&quot;", 6);
        if (line.startsWith("&quot;") && closing > 0) {
            const int end = closing + 6;
            lines[i] = "<b>" + line.left(end) + "</b>" + line.mid(end);
        } else {
            lines[i] = line;
        }
    }
    return lines;
}

WelcomePage::WelcomePage(WorkflowHost& host, QWidget* parent)
    : WorkflowPage(step::kStart, host, parent) {
    auto* picture = new QLabel(this);
    picture->setPixmap(ApplicationIcon().pixmap(kPictureSide, kPictureSide));
    picture->setAlignment(Qt::AlignTop);

    auto* row = new QHBoxLayout;
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addSpacing(16);
    row->addWidget(CreateTextColumn(), 1);

    footer_ = new QLabel(text::kWelcomeNotice, this);
    footer_->setFont(RegularFont());
    footer_->setForegroundRole(QPalette::PlaceholderText);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 48, 32, 12);
    layout->addLayout(row);
    layout->addStretch(1);
    layout->addWidget(footer_);
}

QWidget* WelcomePage::CreateTextColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    QFont headingFont = BoldFont();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 2);
    auto* heading = new QLabel(text::kWelcomeHeading, column);
    heading->setFont(headingFont);
    layout->addWidget(heading);
    layout->addWidget(new QLabel(text::kWelcomeSpacer, column));

    for (const QString& line : WelcomeLinesAsRichText(text::kWelcomeBody)) {
        auto* label = new QLabel(line, column);
        label->setTextFormat(Qt::RichText);
        label->setFont(RegularFont());
        layout->addWidget(label);
    }
    layout->addSpacing(16);
    layout->addWidget(CreateLinkRow());
    return column;
}

QWidget* WelcomePage::CreateLinkRow() {
    auto* links = new QWidget(this);
    QStyle* style = QApplication::style();
    aboutLink_ = new PictureLink(
        style->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(kLinkSide, kLinkSide),
        tr("About Lumivex"), links);
    webLink_ = new PictureLink(WebLinkPicture(kLinkSide), tr("Visit Corvanes' web site"), links);
    auto* layout = new QHBoxLayout(links);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(aboutLink_);
    layout->addWidget(webLink_);
    layout->addStretch(1);

    auto showFooter = [this](const QString& hoverText) {
        return [this, hoverText](bool inside) {
            footer_->setText(inside ? hoverText : QString(text::kWelcomeNotice));
        };
    };
    connect(aboutLink_, &PictureLink::hovered, this,
            showFooter(QString::fromStdString(VersionBuildText())));
    connect(webLink_, &PictureLink::hovered, this, showFooter(text::kWebSiteAddress));
    connect(aboutLink_, &PictureLink::clicked, this,
            [this] { Host().RunCommand(command::kWelcomeAboutLink); });
    connect(webLink_, &PictureLink::clicked, this,
            [this] { Host().RunCommand(command::kWelcomeWebLink); });
    return links;
}

QString WelcomePage::FooterText() const {
    return footer_->text();
}

}  // namespace lumivex
