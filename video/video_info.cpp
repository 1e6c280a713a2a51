#include "video/video_info.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "engine/job.h"
#include "video/video_page_model.h"

namespace lumivex::video {

bool DescribeVideo(const std::string& path, VideoInfo& info, MessageSink& messages) {
    EnhanceJob job;
    job.videoPath = path;
    job.inputKind = kInputVideoChosen;
    VideoPageModel page;
    const LoadOutcome outcome = page.Load(job, messages);
    if (outcome == LoadOutcome::kNothingToLoad) {
        messages.ShowMessage("Cannot open " + path);
        return false;
    }
    if (outcome != LoadOutcome::kLoaded) {
        return false;
    }
    info.width = job.width;
    info.height = job.height;
    info.timeFormat = page.Format();
    info.duration = page.Duration();
    info.verticalFactor = job.verticalFactor;
    return true;
}

bool IsVideoFileName(const std::string& path) {
    static constexpr std::array<const char*, 12> kExtensions = {".avi", ".mpg", ".mpeg", ".mpe",
                                                                ".m1v", ".m2v", ".vob",  ".mp4",
                                                                ".m4v", ".mov", ".mkv",  ".wmv"};
    const size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') {
        return false;
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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

}  // namespace lumivex::video
