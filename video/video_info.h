// What the command line reports about a video: its size, time format, duration and the
// height correction of its display aspect, as the "Video" page settles them when it loads it.
#pragma once

#include <cstdint>
#include <string>

#include "image/message_sink.h"
#include "video/time_format.h"

namespace lumivex::video {

struct VideoInfo {
    int32_t width = 0;
    int32_t height = 0;
    TimeFormat timeFormat = TimeFormat::kNone;
    int64_t duration = 0;  // in timeFormat
    double verticalFactor = 1.0;
};

// Loads path with the page's checks; false (the reason shown through messages) when it would not
// load. A missing file or a folder gives "Cannot open PATH".
bool DescribeVideo(const std::string& path, VideoInfo& info, MessageSink& messages);

// True for the extensions of the video files the program opens (.avi, .mpg, .mpeg and the other
// common containers), in any case.
bool IsVideoFileName(const std::string& path);

// "frames" or "media_time" (empty for kNone).
const char* TimeFormatName(TimeFormat format);

}  // namespace lumivex::video
