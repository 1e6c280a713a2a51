// How the metadata code calls exiv2: started once per process, with its log messages collected
// per calling thread and its exceptions turned into texts. Private to lumivex_metadata.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lumivex::metadata_internal {

// Collects exiv2's warnings and errors raised on this thread while it lives, appending them to
// warnings (when given) as "context: exiv2's text". Without a collector they are dropped.
class Exiv2Messages {
public:
    Exiv2Messages(std::vector<std::string>* warnings, std::string context);
    ~Exiv2Messages();
    Exiv2Messages(const Exiv2Messages&) = delete;
    Exiv2Messages& operator=(const Exiv2Messages&) = delete;

    // Appends text as it is.
    void Add(const std::string& text);
    // Appends one of exiv2's log lines, after the context.
    void AddLogLine(const std::string& line) { Add(context_ + ": " + line); }

private:
    std::vector<std::string>* warnings_;
    std::string context_;
    Exiv2Messages* outer_;
};

// Runs work; any exception it throws becomes "failure (reason)" in messages, and false.
bool RunGuarded(const std::function<void()>& work, Exiv2Messages& messages,
                const std::string& failure);

}  // namespace lumivex::metadata_internal
