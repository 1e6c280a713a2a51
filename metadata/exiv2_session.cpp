#include "metadata/exiv2_session.h"

#include <exiv2/exiv2.hpp>

#include <exception>
#include <mutex>

namespace lumivex::metadata_internal {

namespace {

// Where exiv2's log lines on this thread go while RunExiv2 runs; nowhere otherwise.
thread_local std::vector<std::string>* currentLog = nullptr;

void CollectLogMessage(int level, const char* text) {
    if (currentLog == nullptr || level < Exiv2::LogMsg::warn || text == nullptr) {
        return;
    }
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '.')) {
        line.pop_back();
    }
    currentLog->push_back(line);
}

// The XMP toolkit registers namespaces in shared tables; exiv2 takes this lock around that.
void LockXmp(void* mutex, bool lock) {
    std::mutex& m = *static_cast<std::mutex*>(mutex);
    if (lock) {
        m.lock();
    } else {
        m.unlock();
    }
}

void StartExiv2() {
    static std::once_flag started;
    std::call_once(started, [] {
        static std::mutex xmpMutex;
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
        Exiv2::LogMsg::setHandler(&CollectLogMessage);
        Exiv2::XmpParser::initialize(&LockXmp, &xmpMutex);
    });
}

// Points the thread's log at one vector for as long as it lives, then back at the outer one.
class LogScope {
public:
    explicit LogScope(std::vector<std::string>* log) : outer_(currentLog) { currentLog = log; }
    ~LogScope() { currentLog = outer_; }
    LogScope(const LogScope&) = delete;
    LogScope& operator=(const LogScope&) = delete;

private:
    std::vector<std::string>* outer_;
};

}  // namespace

bool RunExiv2(const std::function<void()>& work, std::vector<std::string>* log,
              std::string* reason) {
    StartExiv2();
    const LogScope scope(log);
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        *reason = error.what();
    } catch (...) {
        *reason = "unknown error";
    }
    return false;
}

void NotePartProblems(const std::string& part, bool ok, const std::string& reason,
                      const std::vector<std::string>& log, std::vector<std::string>* warnings) {
    if (warnings == nullptr || (ok && log.empty())) {
        return;
    }
    if (!ok) {
        warnings->push_back(part + " is left out (" + reason + ")");
        return;
    }
    std::string text = part + " is damaged; what could be read is kept (" + log.front();
    if (log.size() > 1) {
        text += ", and " + std::to_string(log.size() - 1) + " more problem" +
                (log.size() > 2 ? "s" : "");
    }
    warnings->push_back(text + ")");
}

}  // namespace lumivex::metadata_internal
