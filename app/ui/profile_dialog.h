// The "Select profile" dialog: every profile with the output resolution it gives for the current
// input, and the output aspect ratio ("Automatic", "4 : 3", "1 : 1", "16 : 9" or typed text).
// Changing the aspect writes the job's vertical factor at once and lists the sizes again; OK
// stores the chosen profile's index in the job.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QStyledItemDelegate>

#include "app/core/profile_dialog_model.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;

namespace lumivex {

// Draws a list item as its bold name and, below it, the resolution line (in the shadow colour
// unless selected). Each item is two text lines high.
class ProfileItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Height of "W" with word-break formatting in a 100 x 100 rectangle.
    static int LineHeight(const QFont& font);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The profile list: item text "name\n Output resolution: WxH", item data (Qt::UserRole) the
// profile's index in the ProfileList.
class CProfileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit CProfileListBox(QWidget* parent = nullptr);
};

class CProfileDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kListId = 1001;
    static constexpr int kAspectComboId = 1009;

    CProfileDlg(EnhanceJob& job, const ProfileList& profiles, QWidget* parent = nullptr);

    CProfileListBox* List() const { return list_; }
    QComboBox* AspectCombo() const { return aspect_; }
    const ProfileDialogModel& Model() const { return model_; }

    void accept() override;

private:
    void BuildControls();
    // Shows the model's rows and selection in the list.
    void ShowRows();
    void AspectItemChosen(int item);
    void AspectTextEdited(const QString& text);

    ProfileDialogModel model_;
    CProfileListBox* list_ = nullptr;
    QComboBox* aspect_ = nullptr;
    bool showingRows_ = false;
};

}  // namespace lumivex
