#include "app/core/enhance_command_save.h"

#include <vector>

#include "image/image_codec.h"
#include "image/message_sink.h"
#include "job/job.h"
#include "metadata/save_with_metadata.h"

namespace lumivex {

std::string SaveFailedMessage(const std::string& path, const std::string& reason) {
    return "The enhanced image was not saved.\n\n" +
           (reason.empty() ? "Cannot write " + path + "." : reason);
}

SaveOutcome WriteChosenImage(const RgbImage& image, const std::optional<std::string>& path,
                             MessageSink& messages, const std::string& metadataSource) {
    if (!path) {
        return SaveOutcome::kCancelled;
    }
    if (!CodecForWriting(*path)) {
        messages.ShowMessage(SaveFailedMessage(*path, UnwritableNameText(*path)), {},
                             MessageIcon::kError);
        return SaveOutcome::kFailed;
    }
    std::vector<std::string> warnings;
    const PictureMetadata metadata = MetadataToCarry(metadataSource, *path, &warnings);
    std::string error;
    if (!SaveImageWithMetadata(image, *path, metadata, &warnings, &error)) {
        messages.ShowMessage(SaveFailedMessage(*path, error), {}, MessageIcon::kError);
        return SaveOutcome::kFailed;
    }
    if (!warnings.empty()) {
        std::string text = "The enhanced image was saved without part of the metadata of " +
                           metadataSource + ":\n";
        for (const std::string& warning : warnings) {
            text += "\n" + warning;
        }
        messages.ShowMessage(text, {}, MessageIcon::kWarning);
    }
    return SaveOutcome::kWritten;
}

void ApplySaveOutcome(EnhanceJob& job, SaveOutcome outcome) {
    if (outcome == SaveOutcome::kWritten) {
        job.resultReady = false;
    }
}

}  // namespace lumivex
