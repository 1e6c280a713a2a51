// The about box: the application icon, "Lumivex" in bold, the version line and the notice.
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

private:
    QLabel* name_ = nullptr;
    QLabel* version_ = nullptr;
};

}  // namespace lumivex
