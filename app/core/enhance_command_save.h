// Saving the enhanced picture under the name the user confirmed: the write goes through a
// temporary file, so a failed write never harms an existing file, and only a completed write
// counts as saved (the close question is asked again otherwise).
#pragma once

#include <optional>
#include <string>

namespace lumivex {

struct EnhanceJob;
class MessageSink;
class RgbImage;

enum class SaveOutcome {
    kCancelled,  // no name confirmed: nothing written, result ready unchanged
    kWritten,    // the file holds the picture
    kFailed,     // the user was told why; any earlier file at that name is intact
};

// Writes image to path (codec by the path's extension); nullopt means the dialog was cancelled.
// A JPEG, PNG or TIFF carries the metadata of the picture at metadataSource (when given); parts
// of it that cannot be carried are named in one message after the save.
SaveOutcome WriteChosenImage(const RgbImage& image, const std::optional<std::string>& path,
                             MessageSink& messages, const std::string& metadataSource = {});

// Clears the job's result-ready flag once the result has been written.
void ApplySaveOutcome(EnhanceJob& job, SaveOutcome outcome);

// "The enhanced image was not saved." followed by the reason (which names the file).
std::string SaveFailedMessage(const std::string& path, const std::string& reason);

}  // namespace lumivex
