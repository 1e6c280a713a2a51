// The about box: the application icon, "Lumivex" in bold, the version line, the notice and the
// Qt version with its licence.
#pragma once

#include <QDialog>

class QLabel;

namespace lumivex {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QLabel* NameLabel() const { return name_; }
    QLabel* VersionLabel() const { return version_; }
    QLabel* QtLabel() const { return qtLine_; }

private:
    QLabel* name_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* qtLine_ = nullptr;
};

}  // namespace lumivex
