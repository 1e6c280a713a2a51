#include "app/ui/profile_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "profiles/aspect_choice.h"

namespace lumivex {

namespace {

constexpr int kTextFlags = Qt::TextWordWrap | Qt::TextExpandTabs;
constexpr int kInsetLeft = 6;
constexpr int kInset = 3;

// Converts the dialog's layout, given in dialog units (a quarter of the average character width,
// an eighth of the character height), to pixels for the dialog's font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        baseX_ = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
        baseY_ = metrics.height();
    }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    int X(int units) const { return units * baseX_ / 4; }
    int Y(int units) const { return units * baseY_ / 8; }

private:
    int baseX_ = 6;
    int baseY_ = 13;
};

QColor Inverse(const QColor& colour) {
    return QColor::fromRgb(~colour.rgb() & 0xFFFFFFu);
}

}  // namespace

int ProfileItemDelegate::LineHeight(const QFont& font) {
    return QFontMetrics(font).boundingRect(QRect(0, 0, 100, 100), kTextFlags, "W").height();
}

QSize ProfileItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& /*index*/) const {
    return QSize(option.rect.width(), 2 * LineHeight(option.font) + 9);
}

void ProfileItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette& palette = option.palette;
    painter->save();
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    QColor textColour = palette.color(QPalette::Text);
    if (selected) {
        textColour = Inverse(textColour);
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    const qsizetype split = text.indexOf('\n');
    const QString name = split < 0 ? text : text.left(split);
    const QString resolution = split < 0 ? QString() : text.mid(split + 1);
    QRect area = option.rect.adjusted(kInsetLeft, kInset, -kInset, -kInset);

    QFont bold = QApplication::font();
    bold.setWeight(QFont::Bold);
    painter->setFont(bold);
    painter->setPen(textColour);
    painter->drawText(area, kTextFlags, name);

    if (!selected) {
        painter->setPen(palette.color(QPalette::Dark));
    }
    area.setTop(area.top() + LineHeight(option.font) + 3);
    painter->setFont(option.font);
    painter->drawText(area, kTextFlags, resolution);

    if (option.state.testFlag(QStyle::State_HasFocus)) {
        QStyleOptionFocusRect focus;
        focus.rect = option.rect;
        focus.state = option.state;
        focus.backgroundColor =
            selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
    }
    painter->restore();
}

CProfileListBox::CProfileListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new ProfileItemDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

CProfileDlg::CProfileDlg(EnhanceJob& job, const ProfileList& profiles, QWidget* parent)
    : QDialog(parent), model_(job, profiles) {
    setWindowTitle(tr("Select profile"));
    BuildControls();
    ShowRows();
}

void CProfileDlg::BuildControls() {
    const DialogUnits units(font());
    list_ = new CProfileListBox(this);
    list_->setGeometry(units.Rect(7, 7, 202, 124));

    auto* label = new QLabel(tr("Correct output aspect ratio"), this);
    label->setGeometry(units.Rect(7, 141, 113, 8));
    aspect_ = new QComboBox(this);
    aspect_->setEditable(true);
    aspect_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& choice : AspectChoices()) {
        aspect_->addItem(QString::fromStdString(choice));
    }
    aspect_->setCurrentIndex(kAutomaticAspectChoice);  // shown, not applied
    const QRect comboRect = units.Rect(131, 138, 78, 12);
    aspect_->setGeometry(comboRect.x(), comboRect.y(), comboRect.width(),
                         aspect_->sizeHint().height());
    label->setBuddy(aspect_);
    connect(aspect_, &QComboBox::activated, this, &CProfileDlg::AspectItemChosen);
    connect(aspect_->lineEdit(), &QLineEdit::textEdited, this, &CProfileDlg::AspectTextEdited);

    // Created after the combo box, so that it follows it in the tab order.
    auto* quality = new QCheckBox(tr("High quality reconstruction (slower)"), this);
    quality->setGeometry(units.Rect(7, 156, 202, 10));
    quality->setChecked(model_.HighQuality());
    connect(quality, &QCheckBox::toggled, this, [this](bool on) { model_.SetHighQuality(on); });
    connect(list_, &QListWidget::currentRowChanged, this, [this, quality](int row) {
        if (!showingRows_) {
            model_.SelectRow(row);
            quality->setChecked(model_.HighQuality());
        }
    });

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setGeometry(units.Rect(102, 172, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CProfileDlg::accept);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setGeometry(units.Rect(159, 172, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CProfileDlg::reject);

    setFixedSize(units.X(216), units.Y(193));
    list_->setFocus();
}

void CProfileDlg::ShowRows() {
    showingRows_ = true;
    list_->clear();
    for (const ProfileChoice& row : model_.Rows()) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.text), list_);
        item->setData(Qt::UserRole, row.index);
    }
    list_->setCurrentRow(model_.SelectedRow());
    showingRows_ = false;
}

void CProfileDlg::AspectItemChosen(int item) {
    model_.ChooseAspectItem(item);
    ShowRows();
}

void CProfileDlg::AspectTextEdited(const QString& text) {
    model_.EditAspectText(text.toStdString());
    ShowRows();
}

void CProfileDlg::accept() {
    model_.Accept();
    ShowRows();
    QDialog::accept();
}

}  // namespace lumivex
