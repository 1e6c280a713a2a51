#include "video/video_info.h"

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
