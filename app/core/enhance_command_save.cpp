#include "app/core/enhance_command_save.h"

#include "image/image_codec.h"
#include "image/message_sink.h"
#include "image/save_image.h"
#include "job/job.h"

namespace lumivex {

std::string SaveFailedMessage(const std::string& path, const std::string& reason) {
    return "The enhanced image was not saved.\n\n" +
           (reason.empty() ? "Cannot write " + path + "." : reason);
}

SaveOutcome WriteChosenImage(const RgbImage& image, const std::optional<std::string>& path,
                             MessageSink& messages) {
    if (!path) {
        return SaveOutcome::kCancelled;
    }
    std::string error;
    if (!CodecForWriting(*path)) {
        messages.ShowMessage(SaveFailedMessage(*path, UnwritableNameText(*path)));
        return SaveOutcome::kFailed;
    }
    if (!SaveImageToPath(image, *path, &error)) {
        messages.ShowMessage(SaveFailedMessage(*path, error), {}, MessageIcon::kError);
        return SaveOutcome::kFailed;
    }
    return SaveOutcome::kWritten;
}

void ApplySaveOutcome(EnhanceJob& job, SaveOutcome outcome) {
    if (outcome == SaveOutcome::kWritten) {
        job.resultReady = false;
    }
}

}  // namespace lumivex
