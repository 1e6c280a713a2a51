#include "cli/cli_video.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "cli/cli_json.h"
#include "cli/cli_messages.h"
#include "video/video_info.h"
#include "video/video_page_model.h"

namespace lumivex::cli {

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string Joined(const CollectingMessageSink& messages) {
    std::string text;
    for (const std::string& message : messages.messages) {
        text += (text.empty() ? "" : "; ") + CommandLineText(message);
    }
    return text.empty() ? "cannot be loaded" : text;
}

std::string VideoJson(const std::string& path, const video::VideoInfo& info) {
    JsonLine line;
    line.Add("path", path);
    line.Add("type", "video").Add("width", info.width).Add("height", info.height);
    line.Add("frames", info.frames);
    line.Add("time_format", video::TimeFormatName(info.timeFormat));
    line.Add("duration", info.duration).AddRaw("seconds", Number(info.seconds));
    line.AddRaw("vertical_factor", Number(info.verticalFactor));
    line.Add("interlacing", video::InterlacingName(info.interlacing));
    line.Add("desktop_opens", info.desktopRefusal.empty());
    if (!info.desktopRefusal.empty()) {
        line.Add("desktop_message", info.desktopRefusal);
    }
    return line.Text();
}

std::string VideoText(const std::string& path, const video::VideoInfo& info) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s: video, %d x %d, %lld frames, %s s, time format %s, duration %lld, "
                  "vertical factor %s, interlacing %s",
                  path.c_str(), info.width, info.height, static_cast<long long>(info.frames),
                  Number(info.seconds).c_str(), video::TimeFormatName(info.timeFormat),
                  static_cast<long long>(info.duration), Number(info.verticalFactor).c_str(),
                  video::InterlacingName(info.interlacing));
    std::string line = text;
    if (!info.desktopRefusal.empty()) {
        line += "; the desktop application refuses it (smaller than " +
                std::to_string(video::kMinimumVideoSide) + " x " +
                std::to_string(video::kMinimumVideoSide) + ")";
    }
    return line;
}

}  // namespace

bool ReportVideo(const std::string& path, bool json) {
    video::VideoInfo info;
    CollectingMessageSink messages;
    const bool ok = video::DescribeVideo(path, info, messages);
    if (json) {
        if (ok) {
            std::printf("%s\n", VideoJson(path, info).c_str());
        } else {
            std::printf("%s\n",
                        JsonLine().Add("path", path).Add("error", Joined(messages)).Text().c_str());
        }
    } else if (ok) {
        std::printf("%s\n", VideoText(path, info).c_str());
    } else {
        PrintProblem(path, Joined(messages));
    }
    return ok;
}

std::optional<int64_t> ParsePosition(const std::string& text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

}  // namespace lumivex::cli
