// The input of a video enhancement: five consecutive distinct frames around a position, each
// reordered into its two interlaced fields, handed to the job with the reference index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/message_sink.h"
#include "job/job.h"
#include "video/time_format.h"

namespace lumivex::video {

class VideoPageModel;

inline constexpr int32_t kEnhanceFramesWanted = 5;

// Gathers the frames of job.videoPath around reference into the job: its frame set is replaced
// by the gathered frames named "Frame 0", "Frame 1", ..., split into fields, interlaced set,
// the reference index and input kind 5. With fields false the frames enter whole (not split,
// interlaced not set). On failure shows the gathering error and leaves the job as it was.
// Returns whether frames were added.
bool GatherFramesIntoJob(EnhanceJob& job, int64_t reference, TimeFormat timeFormat,
                         MessageSink& messages, bool fields = true);

// The page's "gather frames for enhancement": around the current play position, when a seekable
// video is loaded (otherwise nothing happens).
bool GatherFramesForEnhancement(VideoPageModel& page, EnhanceJob& job, MessageSink& messages);

// How the command line takes a video.
struct VideoEnhanceOptions {
    std::optional<int64_t> position;  // in the video's time format; the middle when absent
    bool fields = true;               // false: frames enter whole (progressive video)
};

// Why a video of width x height cannot be enhanced from the command line, naming its size and
// the smallest one the engine registers (the images it receives are the frames, or their fields,
// with the width cut to a multiple of 4); empty when it can.
std::string VideoSizeRefusal(int32_t width, int32_t height, bool fields);

// The command line's words for a position outside 0 ... duration (the last position gathers
// around the last frame).
std::string PositionRangeText(int64_t position, int64_t duration);

// For the command line: loads path as the "Video" page would (with its checks and messages, but
// down to the engine's smallest size instead of the page's 100 x 100) and gathers the frames
// around the position. False when the video cannot be loaded, is too small or the position lies
// outside it (*refusal then holds VideoSizeRefusal's or PositionRangeText's text, nothing is
// shown) or nothing could be gathered; other reasons were
// shown through messages (a missing file: "Cannot open").
bool GatherVideoFramesIntoJob(EnhanceJob& job, const std::string& path,
                              const VideoEnhanceOptions& options, MessageSink& messages,
                              std::string* refusal = nullptr);

}  // namespace lumivex::video
