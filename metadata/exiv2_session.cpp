#include "metadata/exiv2_session.h"

#include <exiv2/exiv2.hpp>

#include <exception>
#include <mutex>
#include <utility>

namespace lumivex::metadata_internal {

namespace {

thread_local Exiv2Messages* current = nullptr;

void CollectLogMessage(int level, const char* text) {
    if (current == nullptr || level < Exiv2::LogMsg::warn || text == nullptr) {
        return;
    }
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
        line.pop_back();
    }
    current->AddLogLine(line);
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

}  // namespace

Exiv2Messages::Exiv2Messages(std::vector<std::string>* warnings, std::string context)
    : warnings_(warnings), context_(std::move(context)), outer_(current) {
    StartExiv2();
    current = this;
}

Exiv2Messages::~Exiv2Messages() {
    current = outer_;
}

void Exiv2Messages::Add(const std::string& text) {
    if (warnings_ != nullptr) {
        warnings_->push_back(text);
    }
}

bool RunGuarded(const std::function<void()>& work, Exiv2Messages& messages,
                const std::string& failure) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        messages.Add(failure + " (" + error.what() + ")");
    } catch (...) {
        messages.Add(failure);
    }
    return false;
}

}  // namespace lumivex::metadata_internal
