// One-line JSON objects, for commands that print one record per line (info --json, ...).
#pragma once

#include <cstdint>
#include <string>

namespace lumivex::cli {

// Builds {"key": value, ...} on one line, keys in the order added.
class JsonLine {
public:
    JsonLine& Add(const std::string& key, const std::string& value);
    JsonLine& Add(const std::string& key, const char* value) {
        return Add(key, std::string(value));
    }
    JsonLine& Add(const std::string& key, int64_t value);
    JsonLine& Add(const std::string& key, int32_t value) { return Add(key, int64_t{value}); }
    JsonLine& Add(const std::string& key, bool value);
    // value must already be JSON text (a nested object, a number formatted by the caller).
    JsonLine& AddRaw(const std::string& key, const std::string& json);
    std::string Text() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

}  // namespace lumivex::cli
