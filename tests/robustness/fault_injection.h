// Ways to make the file system refuse work in the middle of a test, for root as for anyone.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

namespace lumivex::robustness {

// Files may grow to limit bytes while it lives; writes beyond fail with EFBIG as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t previous_;
};

// A folder nothing can be created in, also for root: the immutable attribute when running as
// root (where permissions do not stop writes), permission bits otherwise.
class LockedFolder {
public:
    explicit LockedFolder(const std::filesystem::path& folder);
    ~LockedFolder();
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;
    bool Locked() const { return locked_; }

private:
    std::filesystem::path folder_;
    int fd_ = -1;
    bool locked_ = false;
};

}  // namespace lumivex::robustness
