// The JSON report of an enhance run: what went in, what the engine decided for every image, and
// what came out.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "job/job.h"

namespace lumivex::cli {

// How the report's shifts and transforms are counted.
inline constexpr const char* kPictureCoordinatesText =
    "picture: origin at the top-left pixel, x right, y down, in input pixels";

struct EnhanceRunRecord {
    std::vector<std::string> files;  // the input files that were read
    std::string profile;             // the profile's name, path or the ad-hoc settings
    OutputSize output;
    std::map<int32_t, RegistrationReport> reports;  // by engine image index
    int32_t status = 0;
    double seconds = 0.0;
};

// Collects the engine's registration reports into record (called on the worker thread; read
// the record only after the worker was joined).
RegistrationObserver CollectReports(EnhanceRunRecord& record);

std::string EnhanceReportJson(const EnhanceJob& job, const EnhanceRunRecord& record);

// One line per engine image and the count fused, for people.
std::string RegistrationSummary(const EnhanceJob& job, const EnhanceRunRecord& record);

// How many of the non-reference images were fused.
int32_t AcceptedCount(const EnhanceRunRecord& record);

// When nothing was fused into the reference, so that the result is only the reference enlarged:
// why, for a warning; empty otherwise, and for a single picture given on its own.
std::string NothingFusedWarning(const EnhanceJob& job, const EnhanceRunRecord& record);

}  // namespace lumivex::cli
