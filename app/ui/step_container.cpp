#include "app/ui/step_container.h"

#include <QFocusEvent>
#include <QResizeEvent>

#include "app/ui/workflow_page.h"

namespace lumivex {

StepContainer::StepContainer(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 100);
}

void StepContainer::AddPage(WorkflowPage* page) {
    page->setParent(this);
    page->hide();
    pages_.push_back(page);
}

WorkflowPage* StepContainer::FindPage(const std::string& name) const {
    for (WorkflowPage* page : pages_) {
        if (page->StepName() == name) {
            return page;
        }
    }
    return nullptr;
}

bool StepContainer::ShowPage(const std::string& name) {
    WorkflowPage* page = FindPage(name);
    if (page == nullptr) {
        return false;
    }
    WorkflowPage* previous = current_;
    if (previous != nullptr) {
        previous->hide();
    }
    current_ = nullptr;
    if (previous != nullptr) {
        previous->PageHidden();
    }
    current_ = page;
    page->setGeometry(rect());
    page->show();
    QWidget* first = page->nextInFocusChain();
    if (first != nullptr && page->isAncestorOf(first)) {
        first->setFocus();
    } else {
        page->setFocus();
    }
    page->PageShown();
    return true;
}

void StepContainer::resizeEvent(QResizeEvent* /*event*/) {
    if (current_ != nullptr) {
        current_->setGeometry(rect());
    }
}

void StepContainer::focusInEvent(QFocusEvent* /*event*/) {
    if (current_ != nullptr) {
        current_->setFocus();
    }
}

}  // namespace lumivex
