// Writing the frames around a position of a video to numbered BMP files, as whole frames or as
// their two interlaced fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/message_sink.h"
#include "image/rgb_image.h"
#include "video/time_format.h"

namespace lumivex::video {

class VideoPageModel;

inline constexpr int32_t kMinExtractCount = 1;
inline constexpr int32_t kMaxExtractCount = 30;
inline constexpr const char* kExtractedFormat = "%d video frames have been extracted to %s.";

struct ExtractionSettings {
    std::string directory;   // the output folder; a trailing '/' makes no difference
    int32_t frameCount = 5;  // 1 ... 30
    bool separateFields = true;
};

struct ExtractionReport {
    bool gatheredFrames = false;  // false: nothing could be gathered (the error was shown)
    int32_t gathered = 0;         // frames gathered
    int32_t framesWritten = 0;    // frames all of whose files were written
    std::vector<std::string> writtenFiles;
    std::vector<std::string> failedFiles;  // files that could not be written, with the reason
};

// "LMVX %03d" with index, then "ref" for the reference frame.
std::string ExtractedBaseName(int32_t index, bool reference);
// directory + '/' + name, without doubling a trailing '/'.
std::string JoinPath(const std::string& directory, const std::string& name);

// Writes slots[0 ... gathered - 1]: whole frames as base + ".bmp", or (separateFields) each
// frame's first field as base + "a.bmp" and its second field as base + "b.bmp". Existing files
// are replaced. The slots are split in place when fields are written.
ExtractionReport WriteExtractedFrames(std::vector<std::unique_ptr<RgbImage>>& slots,
                                      int32_t gathered, int32_t referenceIndex,
                                      const ExtractionSettings& settings);

// The extraction at a known position: gathers settings.frameCount frames around reference,
// writes them and shows the final message (or the gathering error). A count outside 1 ... 30
// writes nothing and returns an empty report.
ExtractionReport ExtractFramesAt(const std::string& videoPath, int64_t reference,
                                 TimeFormat timeFormat, const ExtractionSettings& settings,
                                 MessageSink& messages);

// The "Extract video frames" command of the page after its dialog was confirmed: pauses the
// player, and extracts around the current play position when a seekable video is loaded.
ExtractionReport ExtractVideoFrames(VideoPageModel& page, const std::string& videoPath,
                                    const ExtractionSettings& settings, MessageSink& messages);

// The final message: the number of frames gathered and the folder, then the files that could not
// be written (the count does not drop for them).
std::string ExtractionMessage(const ExtractionReport& report, const std::string& directory);
// Its first line alone: "%d video frames have been extracted to %s.".
std::string ExtractionSummary(int32_t gathered, const std::string& directory);

}  // namespace lumivex::video
