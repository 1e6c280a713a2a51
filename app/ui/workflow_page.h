// A page of the step container. Each page has a step name, the regular and bold 8.5-point
// "Verdana" fonts, and paints the gradient band over the top tenth of its area. Pages take part
// in command routing: the current page first, then every other page, then the main window.
#pragma once

#include <QFont>
#include <QWidget>
#include <string>

#include "app/core/workflow.h"

class QKeyEvent;

namespace lumivex {

class WorkflowHost;

class WorkflowPage : public QWidget {
    Q_OBJECT

public:
    WorkflowPage(std::string stepName, WorkflowHost& host, QWidget* parent = nullptr);

    const std::string& StepName() const { return stepName_; }

    // Runs a command; true when this page handled it (routing stops there).
    virtual bool HandleCommand(int commandId);
    // Fills the enabled and checked state of a command this page answers; true when it does.
    virtual bool UpdateCommand(int commandId, CommandState& state);
    // Called by the container after the page became the current step, and after it stopped being
    // it.
    virtual void PageShown() {}
    virtual void PageHidden() {}
    // Ctrl or Alt went down or up while the step is "Enhance" or "Selection" (cursor feedback).
    virtual void ModifierKeysChanged(Qt::KeyboardModifiers /*modifiers*/) {}
    // The main window is closing.
    virtual void ClosePage() {}

    const QFont& RegularFont() const { return regularFont_; }
    const QFont& BoldFont() const { return boldFont_; }

protected:
    WorkflowHost& Host() const { return host_; }
    void paintEvent(QPaintEvent* event) override;

private:
    std::string stepName_;
    WorkflowHost& host_;
    QFont regularFont_;
    QFont boldFont_;
};

// The band colour k of 0..19, from RGB (210, 220, 250) towards end.
QColor GradientBandColour(int band, const QColor& end);

}  // namespace lumivex
