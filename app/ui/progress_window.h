// The captioned progress popup shown while the application works for the user: a message, a
// percentage bar and a Cancel button (bar and button can be hidden). While it is modal, the
// highest enabled window above it (the main window) is disabled. The window has a caption and a
// dialog frame, nothing to close it with.
#pragma once

#include <QString>
#include <QWidget>

#include "app/core/progress_state.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace lumivex {

class ProgressWindow : public QWidget {
    Q_OBJECT

public:
    // Control identifiers, as used to hide the bar and the button.
    static constexpr int kCancelButtonId = 10;
    static constexpr int kMessageTextId = 11;
    static constexpr int kBarId = 12;

    explicit ProgressWindow(QWidget* owner);
    ~ProgressWindow() override;

    // Builds and shows the window (without activating it), centred on its owner.
    bool Create(const QString& caption);
    // Create when needed, then disable the owner chain and mark the window modal.
    void BeginModal(const QString& caption);
    void EndModal();

    // The text is shown as it stands.
    void SetText(const QString& text);
    void SetRange(int32_t lower, int32_t upper, int32_t step);
    // Moves the bar and, when the percentage changes, the caption; returns the previous
    // position. Does nothing once Cancel has closed the window.
    int32_t SetPosition(int32_t position);
    bool Cancelled() const { return state_.Cancelled(); }
    // Hides or shows the bar (kBarId) or the Cancel button (kCancelButtonId).
    void SetControlVisible(int controlId, bool visible);
    // Keeps the window above the others without moving it.
    void SetTopMost();

    QWidget* DisabledOwner() const { return disabledOwner_; }
    const ProgressState& State() const { return state_; }
    QPushButton* CancelButton() const { return cancel_; }
    QProgressBar* Bar() const { return bar_; }
    QLabel* MessageLabel() const { return message_; }

protected:
    // The title bar has no close button; a close the window manager sends anyway is refused, so
    // that the window goes only by Cancel or by its owner.
    void closeEvent(QCloseEvent* event) override;
    // While the window is modal and offers Cancel, Escape pressed in it or in the disabled
    // owner means Cancel.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Cancel();
    bool CancelOffered() const;
    void LayOut();

    QWidget* disabledOwner_ = nullptr;
    ProgressState state_;
    bool created_ = false;
    bool closedByCancel_ = false;
    QLabel* message_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace lumivex
