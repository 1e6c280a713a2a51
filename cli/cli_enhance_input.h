// How the inputs named on the enhance command line become the job's frames. The picture set is
// built in; other inputs (video files) register a source of their own from their own file with
// LUMIVEX_ENHANCE_INPUT_SOURCE, so cmd_enhance needs no change for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "image/message_sink.h"
#include "job/job.h"

namespace lumivex::cli {

struct EnhanceInputRequest {
    std::vector<std::string> inputs;  // as given on the command line
    int32_t reference = 0;            // --reference: which input is the reference
    std::optional<int64_t> position;  // --at: the video position the frames are gathered around
    bool fields = true;               // --no-fields: a video's frames enter whole
};

struct EnhanceInputSource {
    const char* name;
    // True when this source handles these inputs (for example: one path with a video extension).
    bool (*accepts)(const EnhanceInputRequest& request);
    // Fills the freshly reset job: frames, names, width, height, reference index, interlaced,
    // factors, input kind. Per-file problems go to messages; a failure that stops the command
    // returns false with *error set (exit status 1).
    bool (*fill)(EnhanceJob& job, const EnhanceInputRequest& request, MessageSink& messages,
                 std::string* error);
    // The files the report lists as the input (what was actually read).
    std::vector<std::string> (*files)(const EnhanceJob& job, const EnhanceInputRequest& request);
};

bool RegisterEnhanceInputSource(const EnhanceInputSource& source);

// The first registered source that accepts request, else the picture set.
const EnhanceInputSource& EnhanceInputSourceFor(const EnhanceInputRequest& request);

// The display name of engine image i (in the caller's order): the file name of a still picture,
// or for interlaced video frames the frame's name with "a" (first field) or "b" (second field).
std::string EngineImageName(const EnhanceJob& job, int32_t engineIndex);

}  // namespace lumivex::cli

#define LUMIVEX_ENHANCE_INPUT_SOURCE(...)                                               \
    static const bool LUMIVEX_CLI_CONCAT(lumivex_enhance_input_registered_, __LINE__) = \
        ::lumivex::cli::RegisterEnhanceInputSource(                                     \
            ::lumivex::cli::EnhanceInputSource{__VA_ARGS__})
