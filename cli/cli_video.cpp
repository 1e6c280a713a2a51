#include "cli/cli_video.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "cli/cli_json.h"
#include "video/video_info.h"

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
        text += (text.empty() ? "" : " ") + message;
    }
    return text.empty() ? "cannot be loaded" : text;
}

}  // namespace

bool ReportVideo(const std::string& path, bool json) {
    video::VideoInfo info;
    CollectingMessageSink messages;
    const bool ok = video::DescribeVideo(path, info, messages);
    if (json) {
        JsonLine line;
        line.Add("path", path);
        if (ok) {
            line.Add("type", "video").Add("width", info.width).Add("height", info.height);
            line.Add("time_format", video::TimeFormatName(info.timeFormat));
            line.Add("duration", info.duration);
            line.AddRaw("vertical_factor", Number(info.verticalFactor));
        } else {
            line.Add("error", Joined(messages));
        }
        std::printf("%s\n", line.Text().c_str());
    } else if (ok) {
        std::printf("%s: video, %d x %d, %s %lld, vertical factor %s\n", path.c_str(), info.width,
                    info.height, video::TimeFormatName(info.timeFormat),
                    static_cast<long long>(info.duration), Number(info.verticalFactor).c_str());
    } else {
        std::fprintf(stderr, "lumivex-cli: %s: %s\n", path.c_str(), Joined(messages).c_str());
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
