// The input of a video enhancement: five consecutive distinct frames around a position, each
// reordered into its two interlaced fields, handed to the job with the reference index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "job/job.h"
#include "image/message_sink.h"
#include "video/time_format.h"

namespace lumivex::video {

class VideoPageModel;

inline constexpr int32_t kEnhanceFramesWanted = 5;

// Gathers the frames of job.videoPath around reference into the job: its frame set is replaced
// by the gathered frames named "Frame 0", "Frame 1", ..., split into fields, interlaced set,
// the reference index and input kind 5. On failure shows the gathering error and leaves the job
// as it was. Returns whether frames were added.
bool GatherFramesIntoJob(EnhanceJob& job, int64_t reference, TimeFormat timeFormat,
                         MessageSink& messages);

// The page's "gather frames for enhancement": around the current play position, when a seekable
// video is loaded (otherwise nothing happens).
bool GatherFramesForEnhancement(VideoPageModel& page, EnhanceJob& job, MessageSink& messages);

// For the command line: loads path as the "Video" page would (with its checks and messages) and
// gathers the frames around position (in the video's time format), or around the middle of the
// video when no position is given. False when the video cannot be loaded or nothing could be
// gathered; the reason was shown through messages (a missing file: "Cannot open").
bool GatherVideoFramesIntoJob(EnhanceJob& job, const std::string& path,
                              std::optional<int64_t> position, MessageSink& messages);

}  // namespace lumivex::video
