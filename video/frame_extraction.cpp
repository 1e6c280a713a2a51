#include "video/frame_extraction.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/save_image.h"
#include "video/debug_message.h"
#include "video/gather_frames.h"
#include "video/split_fields.h"
#include "video/video_page_model.h"

namespace lumivex::video {

namespace {

// Frames whose first slot never received a picture count as nothing gathered.
bool UsableFirstFrame(const GatherResult& result,
                      const std::vector<std::unique_ptr<RgbImage>>& slots) {
    return result.ok && result.gathered > 0 && slots[0] && !slots[0]->IsEmpty() &&
           slots[0]->BitsPerPixel() == 24;
}

bool WriteOne(const RgbImage& image, const std::string& path, ExtractionReport& report) {
    std::string error;
    if (SaveImageToPath(image, path, &error)) {
        report.writtenFiles.push_back(path);
        return true;
    }
    // The error names the file; a reason without it gets the path put in front.
    report.failedFiles.push_back(error.find(path) != std::string::npos ? error
                                                                       : path + ": " + error);
    return false;
}

// Copies rows [firstRow, firstRow + field.Height()) of frame into field.
void CopyField(const RgbImage& frame, int32_t firstRow, RgbImage& field) {
    const size_t bytes = static_cast<size_t>(field.Stride()) * field.Height();
    std::memcpy(field.Bits(), frame.Row(firstRow), bytes);
}

}  // namespace

std::string ExtractedBaseName(int32_t index, bool reference) {
    char base[32];
    std::snprintf(base, sizeof base, "LMVX %03d", index);
    return std::string(base) + (reference ? "ref" : "");
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '/') {
        return directory + name;
    }
    return directory + "/" + name;
}

ExtractionReport WriteExtractedFrames(std::vector<std::unique_ptr<RgbImage>>& slots,
                                      int32_t gathered, int32_t referenceIndex,
                                      const ExtractionSettings& settings) {
    ExtractionReport report;
    report.gatheredFrames = true;
    report.gathered = gathered;
    for (int32_t i = 0; i < gathered && i < static_cast<int32_t>(slots.size()); ++i) {
        if (!slots[i] || slots[i]->IsEmpty()) {
            continue;
        }
        RgbImage& frame = *slots[i];
        const std::string base =
            JoinPath(settings.directory, ExtractedBaseName(i, i == referenceIndex));
        bool written = false;
        if (settings.separateFields) {
            // Each field is half the frame's height (the last row of an odd height is in neither).
            RgbImage field;
            const int32_t half = std::abs(frame.Height()) / 2;
            if (half > 0 && field.Allocate(frame.Width(), half, 24)) {
                SplitFields(frame);
                CopyField(frame, 0, field);
                written = WriteOne(field, base + "a.bmp", report);
                CopyField(frame, half, field);
                written = WriteOne(field, base + "b.bmp", report) && written;
            } else {
                report.failedFiles.push_back(base + "a.bmp (no field picture)");
            }
        } else {
            written = WriteOne(frame, base + ".bmp", report);
        }
        report.framesWritten += written ? 1 : 0;
    }
    return report;
}

std::string ExtractionSummary(int32_t gathered, const std::string& directory) {
    char text[1024];
    std::snprintf(text, sizeof text, kExtractedFormat, gathered, directory.c_str());
    return text;
}

std::string ExtractionMessage(const ExtractionReport& report, const std::string& directory) {
    std::string message = ExtractionSummary(report.gathered, directory);
    if (!report.failedFiles.empty()) {
        message += "\n\n" + std::to_string(report.failedFiles.size()) +
                   (report.failedFiles.size() == 1 ? " file" : " files") + " could not be written:";
        for (const std::string& file : report.failedFiles) {
            message += "\n" + file;
        }
    }
    return message;
}

ExtractionReport ExtractFramesAt(const std::string& videoPath, int64_t reference,
                                 TimeFormat timeFormat, const ExtractionSettings& settings,
                                 MessageSink& messages) {
    if (settings.frameCount < kMinExtractCount || settings.frameCount > kMaxExtractCount) {
        return {};
    }
    std::vector<std::unique_ptr<RgbImage>> slots;
    for (int32_t i = 0; i < settings.frameCount; ++i) {
        slots.push_back(std::make_unique<RgbImage>());
    }
    const GatherResult result =
        GatherFrames(videoPath, settings.frameCount, reference, timeFormat, slots, messages);
    if (!UsableFirstFrame(result, slots)) {
        ShowDebugMessage(messages, "%s", kCannotExtractText);
        return {};
    }
    ExtractionReport report =
        WriteExtractedFrames(slots, result.gathered, result.referenceIndex, settings);
    messages.ShowMessage(ExtractionMessage(report, settings.directory), {},
                         MessageIcon::kInformation);
    return report;
}

ExtractionReport ExtractVideoFrames(VideoPageModel& page, const std::string& videoPath,
                                    const ExtractionSettings& settings, MessageSink& messages) {
    if (page.Player().State() == kPlayerRunning) {
        page.PauseVideo();
    }
    int64_t reference = 0;
    if (!page.CanGather() || !page.CurrentPosition(reference)) {
        return {};
    }
    return ExtractFramesAt(videoPath, reference, page.Format(), settings, messages);
}

}  // namespace lumivex::video
