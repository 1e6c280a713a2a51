#include "video/video_info.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "image/image_codec.h"
#include "job/job.h"
#include "video/video_page_model.h"

namespace lumivex::video {

bool DescribeVideo(const std::string& path, VideoInfo& info, MessageSink& messages) {
    EnhanceJob job;
    VideoPageModel page;
    if (!LoadVideoPath(page, job, path, messages)) {
        return false;
    }
    const StreamFacts facts = page.Player().Source()->Facts();
    info.width = job.width;
    info.height = job.height;
    info.frames = facts.frames;
    info.timeFormat = page.Format();
    info.duration = page.Duration();
    info.seconds = static_cast<double>(facts.mediaDuration) / kMediaTimeUnitsPerSecond;
    info.verticalFactor = job.verticalFactor;
    info.interlacing = facts.interlacing;
    info.desktopRefusal = BelowMinimumSide(info.width, info.height) ? kResolutionTooLowText : "";
    return true;
}

bool IsVideoFileName(const std::string& path) {
    static constexpr std::array<const char*, 22> kExtensions = {
        ".avi", ".mpg", ".mpeg", ".mpe",  ".m1v", ".m2v",  ".vob", ".mp4", ".m4v", ".mov", ".mkv",
        ".wmv", ".ts",  ".mts",  ".m2ts", ".dv",  ".webm", ".3gp", ".flv", ".ogv", ".asf", ".mxf"};
    const std::string extension = LowerCaseExtension(path);
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

const char* TimeFormatName(TimeFormat format) {
    switch (format) {
        case TimeFormat::kFrames:
            return "frames";
        case TimeFormat::kMediaTime:
            return "media_time";
        case TimeFormat::kNone:
            break;
    }
    return "";
}

const char* InterlacingName(Interlacing interlacing) {
    switch (interlacing) {
        case Interlacing::kProgressive:
            return "progressive";
        case Interlacing::kTopFieldFirst:
            return "top field first";
        case Interlacing::kBottomFieldFirst:
            return "bottom field first";
        case Interlacing::kUnknown:
            break;
    }
    return "unknown";
}

}  // namespace lumivex::video
