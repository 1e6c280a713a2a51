#include "tests/robustness/fault_injection.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivex::robustness {

FileSizeLimit::FileSizeLimit(rlim_t limit) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
}

LockedFolder::LockedFolder(const std::filesystem::path& folder) : folder_(folder) {
    if (::geteuid() != 0) {
        locked_ = ::chmod(folder.c_str(), 0555) == 0;
        return;
    }
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
        flags |= FS_IMMUTABLE_FL;
        locked_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }
}

LockedFolder::~LockedFolder() {
    if (fd_ >= 0) {
        int flags = 0;
        if (locked_ && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd_);
    } else if (locked_) {
        ::chmod(folder_.c_str(), 0755);
    }
}

}  // namespace lumivex::robustness
