#include "app/ui/save_image_dialog.h"

#include <QFileDialog>

#include "app/core/file_filter.h"
#include "app/ui/dialog_frame.h"

namespace lumivex {

void ConfigureSaveImageDialog(QFileDialog& dialog) {
    dialog.setWindowTitle(QObject::tr("Save As"));
    SetDialogFrame(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& filter : PictureDialogNameFilters(text::kSaveImageFilter)) {
        filters << QString::fromStdString(filter);
    }
    dialog.setNameFilters(filters);
    // Appended only to a name typed without any extension: BMP, or the format of the filter the
    // user picks.
    dialog.setDefaultSuffix("bmp");
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        dialog.setDefaultSuffix(QString::fromStdString(FilterSuffix(f.toStdString(), "bmp")));
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setSizeGripEnabled(true);
}

std::optional<std::string> ChooseSaveImagePath(QWidget* owner) {
    QFileDialog dialog(owner);
    ConfigureSaveImageDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

SaveOutcome SaveImageAs(QWidget* owner, const RgbImage& image, MessageSink& messages,
                        const std::string& metadataSource) {
    return WriteChosenImage(image, ChooseSaveImagePath(owner), messages, metadataSource);
}

}  // namespace lumivex
