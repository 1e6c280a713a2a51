// The client area of the main window: owns the workflow pages by step name and shows one at a
// time, filling its whole area.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

namespace lumivex {

class WorkflowPage;

class StepContainer : public QWidget {
    Q_OBJECT

public:
    explicit StepContainer(QWidget* parent = nullptr);

    // Takes the page (re-parented to the container, hidden until shown). Pages keep the order
    // in which they were added.
    void AddPage(WorkflowPage* page);
    // The page of a step name (compared exactly), or nullptr.
    WorkflowPage* FindPage(const std::string& name) const;
    WorkflowPage* CurrentPage() const { return current_; }
    const std::vector<WorkflowPage*>& Pages() const { return pages_; }

    // Hides the current page and shows the named one with the keyboard focus on its first
    // child. False, and nothing changes, when no page has that name.
    bool ShowPage(const std::string& name);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    std::vector<WorkflowPage*> pages_;
    WorkflowPage* current_ = nullptr;
};

}  // namespace lumivex
