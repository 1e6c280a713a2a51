#include "app/ui/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "app/core/app_strings.h"

namespace lumivex {

namespace {

constexpr int kWindowWidth = 390;
constexpr int kWindowHeight = 130;
constexpr int kTextLines = 4;
constexpr int kMargin = 10;
constexpr int kEdge = 2;  // the width of a control's edge, in pixels

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::BusyCursor);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

ProgressWindow::~ProgressWindow() {
    EndModal();
}

bool ProgressWindow::Create(const QString& caption) {
    if (created_) {
        return true;
    }
    created_ = true;
    setWindowTitle(caption);
    setFont(QApplication::font("QMessageBox"));
    message_ = new QLabel(this);
    message_->setTextFormat(Qt::PlainText);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setWordWrap(false);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setRange(state_.Lower(), state_.Upper());
    cancel_ = new QPushButton(text::kProgressCancel, this);
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::Cancel);
    LayOut();
    if (QWidget* owner = parentWidget()) {
        QRect frame = owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    update();
    return true;
}

void ProgressWindow::LayOut() {
    const QFontMetrics metrics(font());
    const int textWidth = kWindowWidth - 2 * kMargin;
    const int textHeight = kTextLines * metrics.height();
    message_->setGeometry(kMargin, kMargin, textWidth, textHeight);

    const int rowTop = kMargin + textHeight + kMargin;
    const QSize label = metrics.size(Qt::TextSingleLine, QString(text::kProgressCancel) + "  ");
    const int buttonWidth = label.width() + 8 * kEdge;
    const int buttonHeight = metrics.height() + 5 * kEdge;
    cancel_->setGeometry(kMargin + textWidth - buttonWidth, rowTop, buttonWidth, buttonHeight);
    const int barWidth = textWidth - buttonWidth - kMargin;
    bar_->setGeometry(kMargin, rowTop + 2 * kEdge, barWidth, buttonHeight - 4 * kEdge);
    setFixedSize(kWindowWidth, std::max(kWindowHeight, rowTop + buttonHeight + kMargin));
}

void ProgressWindow::BeginModal(const QString& caption) {
    Create(caption);
    QWidget* highest = nullptr;
    for (QWidget* parent = parentWidget(); parent != nullptr && parent->isEnabled();
         parent = parent->parentWidget()) {
        highest = parent;
    }
    if (highest != nullptr) {
        highest->setEnabled(false);
        disabledOwner_ = highest;
    }
    setEnabled(true);
    state_.SetModal(true);
    qApp->installEventFilter(this);
}

void ProgressWindow::EndModal() {
    if (!state_.Modal()) {
        return;
    }
    state_.SetModal(false);
    qApp->removeEventFilter(this);
    if (disabledOwner_ != nullptr) {
        disabledOwner_->setEnabled(true);
        disabledOwner_ = nullptr;
    }
}

void ProgressWindow::SetText(const QString& text) {
    if (message_ != nullptr) {
        message_->setText(text);
    }
}

void ProgressWindow::SetRange(int32_t lower, int32_t upper, int32_t step) {
    state_.SetRange(lower, upper, step);
    if (bar_ != nullptr) {
        bar_->setRange(lower, upper);
    }
}

int32_t ProgressWindow::SetPosition(int32_t position) {
    if (!created_ || closedByCancel_) {
        return state_.Position();
    }
    if (isHidden()) {
        show();
    }
    ProgressState::Update update = state_.SetPosition(position);
    if (update.captionChanged) {
        setWindowTitle(QString::fromStdString(state_.Caption()));
    }
    bar_->setValue(position);
    return update.previousPosition;
}

void ProgressWindow::SetControlVisible(int controlId, bool visible) {
    if (controlId == kBarId && bar_ != nullptr) {
        bar_->setVisible(visible);
    } else if (controlId == kCancelButtonId && cancel_ != nullptr) {
        cancel_->setVisible(visible);
    }
}

void ProgressWindow::SetTopMost() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (created_ && !closedByCancel_) {
        show();
    }
}

bool ProgressWindow::CancelOffered() const {
    return state_.Modal() && !closedByCancel_ && cancel_ != nullptr && !cancel_->isHidden();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (!closedByCancel_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool ProgressWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || !CancelOffered()) {
        return QWidget::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool ours = widget != nullptr &&
                      (widget->window() == this ||
                       (disabledOwner_ != nullptr && widget->window() == disabledOwner_->window()));
    if (!ours) {
        return QWidget::eventFilter(watched, event);
    }
    Cancel();
    return true;
}

void ProgressWindow::Cancel() {
    state_.Cancel();
    hide();
    if (state_.Modal()) {
        closedByCancel_ = true;
        close();
    }
    if (QWidget* main = window()->parentWidget()) {
        main->window()->raise();
        main->window()->activateWindow();
    }
}

}  // namespace lumivex
