#include "cli/cli_json.h"

#include "cli/cli_json_report.h"

namespace lumivex::cli {

JsonLine& JsonLine::AddRaw(const std::string& key, const std::string& json) {
    if (!body_.empty())
        body_ += ", ";
    body_ += JsonQuoted(key) + ": " + json;
    return *this;
}

JsonLine& JsonLine::Add(const std::string& key, const std::string& value) {
    return AddRaw(key, JsonQuoted(value));
}

JsonLine& JsonLine::Add(const std::string& key, int64_t value) {
    return AddRaw(key, std::to_string(value));
}

JsonLine& JsonLine::Add(const std::string& key, bool value) {
    return AddRaw(key, value ? "true" : "false");
}

}  // namespace lumivex::cli
