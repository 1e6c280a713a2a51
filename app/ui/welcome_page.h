// The "Start" page: the welcome text, the About and web-site links, and a footer line that
// names the version or the web address while the pointer rests on a link.
#pragma once

#include <QLabel>

#include "app/ui/workflow_page.h"

namespace lumivex {

// A picture that acts as a link: reports clicks and the pointer entering and leaving it.
class PictureLink : public QLabel {
    Q_OBJECT

public:
    PictureLink(const QPixmap& picture, const QString& toolTip, QWidget* parent = nullptr);

signals:
    void clicked();
    void hovered(bool inside);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

class WelcomePage : public WorkflowPage {
    Q_OBJECT

public:
    explicit WelcomePage(WorkflowHost& host, QWidget* parent = nullptr);

    // The footer's current text (the notice, or the hover text of a link).
    QString FooterText() const;
    PictureLink* AboutLink() const { return aboutLink_; }
    PictureLink* WebLink() const { return webLink_; }

private:
    QWidget* CreateTextColumn();
    QWidget* CreateLinkRow();

    PictureLink* aboutLink_ = nullptr;
    PictureLink* webLink_ = nullptr;
    QLabel* footer_ = nullptr;
};

// The welcome text's lines as rich text: the first line bold, the quoted first word of the
// other lines bold, quotes kept.
QStringList WelcomeLinesAsRichText(const QString& body);

}  // namespace lumivex
