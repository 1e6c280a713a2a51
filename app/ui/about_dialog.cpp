#include "app/ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QtGlobal>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/core/app_strings.h"
#include "app/core/version_text.h"
#include "app/ui/app_icons.h"
#include "app/ui/dialog_frame.h"

namespace lumivex {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(text::kAboutCaption);
    SetDialogFrame(*this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));

    name_ = new QLabel(text::kApplicationName, this);
    name_->setTextFormat(Qt::PlainText);
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    name_->setFont(bold);
    version_ = new QLabel(QString::fromStdString(AboutVersionText()), this);
    auto* notice = new QLabel(text::kAboutNotice, this);
    qtLine_ = new QLabel(QString::fromStdString(AboutQtText(qVersion())), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(20);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(name_, 0, 1);
    layout->addWidget(version_, 1, 1);
    layout->addWidget(notice, 2, 1);
    layout->addWidget(qtLine_, 3, 1);
    layout->addWidget(buttons, 4, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace lumivex
