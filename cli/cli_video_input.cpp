// The enhance command's video input: one video file, whose five frames around --at (or around
// the middle) are gathered as the desktop application's "Video" page gathers them, as fields or
// (--no-fields) whole, from any size the engine can register.
#include "cli/cli_enhance_input.h"
#include "cli/cli_messages.h"
#include "video/enhance_frames.h"
#include "video/video_info.h"

namespace lumivex::cli {
namespace {

bool AcceptsVideo(const EnhanceInputRequest& request) {
    return request.inputs.size() == 1 && video::IsVideoFileName(request.inputs[0]);
}

bool FillFromVideo(EnhanceJob& job, const EnhanceInputRequest& request, MessageSink& messages,
                   std::string* error) {
    std::string refusal;
    if (!video::GatherVideoFramesIntoJob(job, request.inputs[0], {request.position, request.fields},
                                         messages, &refusal)) {
        *error = request.inputs[0] + ": " +
                 (refusal.empty() ? "no frames could be gathered" : CommandLineText(refusal)) +
                 "; nothing was written";
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
