// Saving a picture under a name the user chooses: the save dialog (image files filter, default
// extension ".bmp", overwrite confirmation), then the write with the codec the typed extension
// names (".jpg"/".jpeg" JPEG, anything else BMP).
#pragma once

#include <optional>
#include <string>

#include "app/core/enhance_command_save.h"

class QFileDialog;
class QWidget;

namespace lumivex {

class MessageSink;
class RgbImage;

namespace text {
inline constexpr const char* kSaveImageFilter =
    "Image files (*.bmp; *.jpg; *.jpeg)|*.bmp;*.jpg;*.jpeg|All Files (*.*)|*.*||";
}  // namespace text

// Sets up dialog as the save dialog of SaveImageAs (tests look at it without showing it).
void ConfigureSaveImageDialog(QFileDialog& dialog);

// Shows the save dialog owned by owner; the confirmed path, or nullopt when cancelled.
std::optional<std::string> ChooseSaveImagePath(QWidget* owner);

// The dialog, then the write. A failed write is reported through messages and leaves any
// existing file at the chosen name intact.
// A JPEG, PNG or TIFF carries the metadata of the picture at metadataSource (see
// WriteChosenImage).
SaveOutcome SaveImageAs(QWidget* owner, const RgbImage& image, MessageSink& messages,
                        const std::string& metadataSource = {});

}  // namespace lumivex
