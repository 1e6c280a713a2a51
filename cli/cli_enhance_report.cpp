#include "cli/cli_enhance_report.h"

#include <cstdio>

#include "cli/cli_enhance_input.h"
#include "cli/cli_json_report.h"
#include "job/picture_coordinates.h"

namespace lumivex::cli {

namespace {

void WriteImage(JsonWriter& json, const EnhanceJob& job, const EnhanceRunRecord& record,
                int32_t index, int32_t reference) {
    json.BeginObject();
    json.Key("index").Int(index);
    json.Key("name").String(EngineImageName(job, index));
    json.Key("reference").Bool(index == reference);
    const auto found = record.reports.find(index);
    if (index != reference && found != record.reports.end()) {
        const RegistrationReport& report = found->second;
        const PictureMotion motion = PictureMotionOf(job, report);
        json.Key("shift").BeginArray().Real(motion.shiftX).Real(motion.shiftY).EndArray();
        json.Key("transform").BeginArray();
        for (const double p : motion.transform) {
            json.Real(p);
        }
        json.EndArray();
        json.Key("difference").Real(report.difference);
        json.Key("limit").Real(report.limit);
        json.Key("accepted").Bool(report.accepted);
        if (job.method == ReconstructionMethod::kQuality) {
            json.Key("weight").Real(report.weight);
        }
    }
    json.EndObject();
}

}  // namespace

RegistrationObserver CollectReports(EnhanceRunRecord& record) {
    return [&record](const RegistrationReport& report) { record.reports[report.index] = report; };
}

int32_t AcceptedCount(const EnhanceRunRecord& record) {
    int32_t accepted = 0;
    for (const auto& [index, report] : record.reports) {
        accepted += report.accepted ? 1 : 0;
    }
    return accepted;
}

std::string NothingFusedWarning(const EnhanceJob& job, const EnhanceRunRecord& record) {
    const int32_t others = EngineInputOf(job).count - 1;
    const bool video = job.inputKind == kInputVideoGathered;
    if (AcceptedCount(record) > 0 || (others <= 0 && !video)) {
        return {};
    }
    const std::string why = others <= 0 ? "no frame but the reference could be gathered"
                                        : "none of the other " + std::to_string(others) +
                                              " images matched the reference";
    return why + ", so the result is the reference enlarged, with nothing fused into it";
}

std::string EnhanceReportJson(const EnhanceJob& job, const EnhanceRunRecord& record) {
    const EngineInput input = EngineInputOf(job);
    JsonWriter json;
    json.BeginObject();
    json.Key("input").BeginObject();
    json.Key("files").BeginArray();
    for (const std::string& file : record.files) {
        json.String(file);
    }
    json.EndArray();
    json.Key("width").Int(job.width);
    json.Key("height").Int(job.height);
    json.Key("interlaced").Bool(job.interlaced);
    json.EndObject();
    json.Key("profile").String(record.profile);
    json.Key("reference").Int(input.reference);
    json.Key("coordinates").String(kPictureCoordinatesText);
    json.Key("output").BeginObject();
    json.Key("width").Int(record.output.width);
    json.Key("height").Int(record.output.height);
    json.EndObject();
    json.Key("images").BeginArray();
    for (int32_t i = 0; i < input.count; ++i) {
        WriteImage(json, job, record, i, input.reference);
    }
    json.EndArray();
    json.Key("accepted").Int(AcceptedCount(record));
    json.Key("status").Int(record.status);
    json.Key("seconds").Real(record.seconds);
    json.EndObject();
    return json.Text();
}

std::string RegistrationSummary(const EnhanceJob& job, const EnhanceRunRecord& record) {
    const EngineInput input = EngineInputOf(job);
    std::string text;
    char line[512];
    for (int32_t i = 0; i < input.count; ++i) {
        const std::string name = EngineImageName(job, i);
        const auto found = record.reports.find(i);
        if (i == input.reference) {
            std::snprintf(line, sizeof line, "  %2d  %-28s reference\n", i, name.c_str());
        } else if (found == record.reports.end()) {
            std::snprintf(line, sizeof line, "  %2d  %-28s not registered\n", i, name.c_str());
        } else if (job.method == ReconstructionMethod::kQuality) {
            const RegistrationReport& r = found->second;
            const PictureMotion m = PictureMotionOf(job, r);
            std::snprintf(line, sizeof line,
                          "  %2d  %-28s shift %+7.2f %+7.2f  difference %8.1f  weight %4.2f\n", i,
                          name.c_str(), m.shiftX, m.shiftY, r.difference, r.weight);
        } else {
            const RegistrationReport& r = found->second;
            const PictureMotion m = PictureMotionOf(job, r);
            std::snprintf(line, sizeof line,
                          "  %2d  %-28s shift %+7.2f %+7.2f  difference %8.1f / limit %8.1f  %s\n",
                          i, name.c_str(), m.shiftX, m.shiftY, r.difference, r.limit,
                          r.accepted ? "fused" : "rejected");
        }
        text += line;
    }
    std::snprintf(line, sizeof line, "%d of %d images fused into the reference\n",
                  AcceptedCount(record), input.count - 1);
    return text + line;
}

}  // namespace lumivex::cli
