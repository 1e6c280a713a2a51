// The box the video code reports its errors in: a formatted text with the caption
// "Debug message", sent through the caller's message sink.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#include "image/message_sink.h"

namespace lumivex::video {

inline constexpr const char* kDebugMessageCaption = "Debug message";
inline constexpr const char* kMediaNotSupportedText = "ERROR: The media format is not supported.";
inline constexpr const char* kCannotExtractText =
    "ERROR: Cannot extract images from the current media file.";
inline constexpr const char* kBitsNotSupportedFormat = "%d bits per pixel is not supported";

// Formats like printf into at most 511 characters (longer texts are cut).
__attribute__((format(printf, 2, 3))) inline void ShowDebugMessage(MessageSink& messages,
                                                                   const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    messages.ShowMessage(text, kDebugMessageCaption, MessageIcon::kInformation);
}

}  // namespace lumivex::video
