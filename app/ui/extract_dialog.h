// The "Extract video frames" dialog: how many frames around the play position to write
// ("Extract [count] neighboring video frames", 1 ... 30, with a spinner that wraps around),
// whether each frame is written as its two fields, and the output folder. The folder confirmed
// with OK is remembered in the settings ("Settings"/"LastVideoExtractionDir"), even when an
// invalid count keeps the dialog open.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>

#include "video/frame_extraction.h"

class QCheckBox;
class QLineEdit;
class QToolButton;

namespace lumivex {

class MessageSink;
class SettingsStore;

inline constexpr const char* kExtractDialogCaption = "Extract video frames";
inline constexpr const char* kExtractionDirSection = "Settings";
inline constexpr const char* kExtractionDirValue = "LastVideoExtractionDir";
inline constexpr const char* kCountRangeMessage = "Please enter an integer between 1 and 30.";

class CVideoExtractDlg : public QDialog {
    Q_OBJECT

public:
    // settings may be null (nothing is remembered); messages receives the range message.
    CVideoExtractDlg(SettingsStore* settings, MessageSink& messages, QWidget* parent = nullptr);

    // The values confirmed with OK.
    const std::string& OutputDirectory() const { return outputDirectory_; }
    int32_t FrameCount() const { return frameCount_; }
    bool SeparateFields() const { return separateFields_; }
    video::ExtractionSettings Extraction() const;

    // The folder the browse button would put into the read-only folder field.
    void SetOutputDirectory(const QString& directory);
    // The spinner: one step up (+1) or down (-1), wrapping around 1 ... 30.
    void StepCount(int direction);

    QLineEdit* CountEdit() const { return countEdit_; }
    QCheckBox* FieldsCheck() const { return fieldsCheck_; }
    QLineEdit* DirectoryEdit() const { return directoryEdit_; }

    // OK: remember the folder, then close only with a valid count.
    void accept() override;

    // The folder offered when none was remembered: the program's folder, or the user's pictures
    // folder where the program's folder cannot be written.
    static std::string DefaultDirectory();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void Browse();
    // Reads the controls into the fields; false (fields unchanged) when the count is not an
    // integer from 1 to 30.
    bool TakeValues();

    SettingsStore* settings_;
    MessageSink& messages_;
    std::string outputDirectory_;
    int32_t frameCount_ = 5;
    bool separateFields_ = true;
    QLineEdit* countEdit_ = nullptr;
    QCheckBox* fieldsCheck_ = nullptr;
    QLineEdit* directoryEdit_ = nullptr;
    QToolButton* browseButton_ = nullptr;
};

}  // namespace lumivex
