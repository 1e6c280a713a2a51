#include "app/ui/extract_dialog.h"
#include "app/ui/dialog_frame.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/core/settings_store.h"
#include "image/message_sink.h"

namespace lumivex {

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFixedSize(16, 11);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

CVideoExtractDlg::CVideoExtractDlg(SettingsStore* settings, MessageSink& messages, QWidget* parent)
    : QDialog(parent), settings_(settings), messages_(messages) {
    setWindowTitle(kExtractDialogCaption);
    SetDialogFrame(*this);
    setModal(true);
    BuildControls();
    const std::string fallback = DefaultDirectory();
    outputDirectory_ = settings_ != nullptr ? settings_->ReadString(kExtractionDirSection,
                                                                    kExtractionDirValue, fallback)
                                            : fallback;
    countEdit_->setText(QString::number(frameCount_));
    fieldsCheck_->setChecked(separateFields_);
    directoryEdit_->setText(QString::fromStdString(outputDirectory_));
    countEdit_->setFocus();
}

void CVideoExtractDlg::BuildControls() {
    countEdit_ = new QLineEdit(this);
    countEdit_->setObjectName("count");
    countEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), countEdit_));
    countEdit_->setFixedWidth(48);
    countEdit_->installEventFilter(this);
    auto* spinner = new QWidget(this);
    auto* arrows = new QVBoxLayout(spinner);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    QToolButton* up = ArrowButton(Qt::UpArrow, spinner);
    QToolButton* down = ArrowButton(Qt::DownArrow, spinner);
    arrows->addWidget(up);
    arrows->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { StepCount(+1); });
    connect(down, &QToolButton::clicked, this, [this] { StepCount(-1); });

    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(2);
    countRow->addWidget(new QLabel("Extract ", this));
    countRow->addWidget(countEdit_);
    countRow->addWidget(spinner);
    countRow->addSpacing(4);
    countRow->addWidget(new QLabel("neighboring video frames", this));
    countRow->addStretch();

    fieldsCheck_ = new QCheckBox("Separate the even/odd scan lines", this);
    directoryEdit_ = new QLineEdit(this);
    directoryEdit_->setObjectName("directory");
    directoryEdit_->setReadOnly(true);
    browseButton_ = new QToolButton(this);
    browseButton_->setText("...");
    browseButton_->setToolTip("Choose the output directory");
    connect(browseButton_, &QToolButton::clicked, this, &CVideoExtractDlg::Browse);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(directoryEdit_);
    folderRow->addWidget(browseButton_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVideoExtractDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CVideoExtractDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addSpacing(8);
    layout->addLayout(countRow);
    layout->addSpacing(6);
    layout->addWidget(fieldsCheck_);
    layout->addSpacing(16);
    layout->addWidget(new QLabel("Output directory", this));
    layout->addLayout(folderRow);
    layout->addStretch();
    layout->addWidget(buttons);
    // Nothing in the dialog gains from more room; a fixed size also keeps window managers that
    // ignore the frame's hints from offering to maximise it.
    setFixedSize(QSize(300, 230).expandedTo(sizeHint()));
}

std::string CVideoExtractDlg::DefaultDirectory() {
    const QString program = QCoreApplication::applicationDirPath();
    if (!program.isEmpty() && QFileInfo(program).isWritable()) {
        return (program + "/").toStdString();
    }
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir()) {
        pictures = QDir::homePath();
    }
    return (pictures + "/").toStdString();
}

video::ExtractionSettings CVideoExtractDlg::Extraction() const {
    return {outputDirectory_, frameCount_, separateFields_};
}

void CVideoExtractDlg::SetOutputDirectory(const QString& directory) {
    directoryEdit_->setText(directory);
}

void CVideoExtractDlg::StepCount(int direction) {
    bool number = false;
    int count = countEdit_->text().toInt(&number);
    if (!number || count < video::kMinExtractCount || count > video::kMaxExtractCount) {
        count = frameCount_;
    }
    count += direction;
    if (count > video::kMaxExtractCount) {
        count = video::kMinExtractCount;
    } else if (count < video::kMinExtractCount) {
        count = video::kMaxExtractCount;
    }
    countEdit_->setText(QString::number(count));
}

bool CVideoExtractDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == countEdit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepCount(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CVideoExtractDlg::Browse() {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, "Output directory", directoryEdit_->text());
    if (!chosen.isEmpty()) {
        SetOutputDirectory(chosen);
    }
}

bool CVideoExtractDlg::TakeValues() {
    outputDirectory_ = directoryEdit_->text().toStdString();
    bool number = false;
    const int count = countEdit_->text().toInt(&number);
    if (!number || count < video::kMinExtractCount || count > video::kMaxExtractCount) {
        return false;
    }
    frameCount_ = count;
    separateFields_ = fieldsCheck_->isChecked();
    return true;
}

void CVideoExtractDlg::accept() {
    const bool valid = TakeValues();
    if (settings_ != nullptr) {
        settings_->WriteString(kExtractionDirSection, kExtractionDirValue, outputDirectory_);
    }
    if (!valid) {
        messages_.ShowMessage(kCountRangeMessage, {}, MessageIcon::kWarning);
        countEdit_->setFocus();
        countEdit_->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace lumivex
