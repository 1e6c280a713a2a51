// The enhance command's video input: one video file, whose five frames around --at (or around
// the middle) are gathered as the desktop application's "Video" page gathers them.
#include "cli/cli_enhance_input.h"
#include "video/enhance_frames.h"
#include "video/video_info.h"

namespace lumivex::cli {
namespace {

bool AcceptsVideo(const EnhanceInputRequest& request) {
    return request.inputs.size() == 1 && video::IsVideoFileName(request.inputs[0]);
}

bool FillFromVideo(EnhanceJob& job, const EnhanceInputRequest& request, MessageSink& messages,
                   std::string* error) {
    if (!video::GatherVideoFramesIntoJob(job, request.inputs[0], request.position, messages)) {
        *error = "no frames could be gathered from " + request.inputs[0];
        return false;
    }
    return true;
}

std::vector<std::string> VideoFiles(const EnhanceJob& /*job*/, const EnhanceInputRequest& request) {
    return {request.inputs[0]};
}

}  // namespace

LUMIVEX_ENHANCE_INPUT_SOURCE("video", &AcceptsVideo, &FillFromVideo, &VideoFiles);

}  // namespace lumivex::cli
