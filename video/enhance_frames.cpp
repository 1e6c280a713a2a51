#include "video/enhance_frames.h"

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <vector>

#include "job/input_set.h"
#include "video/debug_message.h"
#include "video/gather_frames.h"
#include "video/split_fields.h"
#include "video/video_page_model.h"

namespace lumivex::video {

namespace {

std::string FrameName(int64_t index) {
    char name[40];
    std::snprintf(name, sizeof name, "Frame %" PRId64, index);
    return name;
}

// Empties the frame set only: size, factors, profile, result and input kind stay.
void ClearFrames(EnhanceJob& job) {
    job.frames.clear();
    job.names.clear();
    job.referenceIndex = -1;
    job.interlaced = false;
}

}  // namespace

bool GatherFramesIntoJob(EnhanceJob& job, int64_t reference, TimeFormat timeFormat,
                         MessageSink& messages) {
    std::vector<std::unique_ptr<RgbImage>> slots;
    for (int32_t i = 0; i < kEnhanceFramesWanted; ++i) {
        slots.push_back(std::make_unique<RgbImage>());
    }
    const GatherResult result =
        GatherFrames(job.videoPath, kEnhanceFramesWanted, reference, timeFormat, slots, messages);
    if (!result.ok || result.gathered < 1 || slots[0]->IsEmpty() ||
        slots[0]->BitsPerPixel() != 24) {
        ShowDebugMessage(messages, "%s", kCannotExtractText);
        return false;
    }
    ClearFrames(job);
    job.interlaced = true;
    for (int32_t i = 0; i < result.gathered; ++i) {
        SplitFields(*slots[i]);
        AddImage(job, std::move(slots[i]), FrameName(i), messages);
    }
    job.referenceIndex = result.referenceIndex;
    job.inputKind = kInputVideoGathered;
    return job.FrameCount() > 0;
}

bool GatherFramesForEnhancement(VideoPageModel& page, EnhanceJob& job, MessageSink& messages) {
    if (!page.CanGather()) {
        return false;
    }
    if (page.Player().State() == kPlayerRunning) {
        page.PauseVideo();
    }
    int64_t reference = 0;
    page.CurrentPosition(reference);
    return GatherFramesIntoJob(job, reference, page.Format(), messages);
}

bool GatherVideoFramesIntoJob(EnhanceJob& job, const std::string& path,
                              std::optional<int64_t> position, MessageSink& messages) {
    VideoPageModel page;
    if (!LoadVideoPath(page, job, path, messages) || !page.CanGather()) {
        return false;
    }
    int64_t reference = page.Duration() / 2;
    if (position) {
        reference = *position;
    }
    return GatherFramesIntoJob(job, reference, page.Format(), messages);
}

}  // namespace lumivex::video
