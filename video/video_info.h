// What the command line reports about a video: its size, frame count, time format, duration,
// the height correction of its display aspect and its scan, as the "Video" page settles them
// when it loads it, and whether the desktop application would refuse it.
#pragma once

#include <cstdint>
#include <string>

#include "image/message_sink.h"
#include "video/playback_layer.h"
#include "video/time_format.h"

namespace lumivex::video {

struct VideoInfo {
    int32_t width = 0;
    int32_t height = 0;
    int64_t frames = 0;  // 0 when the file does not say and they could not be counted
    TimeFormat timeFormat = TimeFormat::kNone;
    int64_t duration = 0;  // in timeFormat
    double seconds = 0.0;  // the duration in seconds; 0 when unknown
    double verticalFactor = 1.0;
    Interlacing interlacing = Interlacing::kUnknown;
    // The message the desktop application shows when it refuses the video (too small for its
    // "Video" page); empty when it opens it.
    std::string desktopRefusal;
};

// Loads path as the page does, whatever its picture size; false (the reason shown through
// messages) when it would not load. A missing file or a folder gives "Cannot open PATH".
bool DescribeVideo(const std::string& path, VideoInfo& info, MessageSink& messages);

// True for the extensions of the video files the program opens (.avi, .mpg, .mpeg and the other
// common containers), in any case.
bool IsVideoFileName(const std::string& path);

// "frames" or "media_time" (empty for kNone).
const char* TimeFormatName(TimeFormat format);

// "progressive", "top field first", "bottom field first" or "unknown".
const char* InterlacingName(Interlacing interlacing);

}  // namespace lumivex::video
