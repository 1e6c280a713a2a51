#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "image/image_stream.h"

namespace lumivex {

namespace {

int WhenceFor(SeekOrigin origin) {
    switch (origin) {
        case SeekOrigin::kBegin:
            return SEEK_SET;
        case SeekOrigin::kCurrent:
            return SEEK_CUR;
        case SeekOrigin::kEnd:
            return SEEK_END;
    }
    return SEEK_SET;
}

}  // namespace

FileImageStream::~FileImageStream() {
    Close();
}

bool FileImageStream::Open(const std::string& path, Mode mode) {
    Close();
    error_ = 0;
    const int flags = mode == Mode::kReadExisting ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Fail(errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Fail(EISDIR);
    }
    fd_ = fd;
    return true;
}

void FileImageStream::Adopt(int fd) {
    Close();
    error_ = 0;
    fd_ = fd;
}

bool FileImageStream::Close() {
    if (fd_ < 0)
        return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 || !Fail(errno);
}

bool FileImageStream::Fail(int error) {
    if (error_ == 0)
        error_ = error;
    return false;
}

int32_t FileImageStream::Read(void* buffer, int32_t count) {
    if (fd_ < 0 || count <= 0 || !buffer)
        return 0;
    auto* out = static_cast<char*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            Fail(errno);
            break;
        }
        if (n == 0)
            break;
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t FileImageStream::Write(const void* buffer, int32_t count) {
    if (fd_ < 0 || count <= 0 || !buffer)
        return 0;
    const auto* in = static_cast<const char*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, in + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<int32_t>(n);
    }
    return done;
}

int FileImageStream::ReadByte() {
    uint8_t byte;
    return Read(&byte, 1) == 1 ? byte : -1;
}

bool FileImageStream::WriteByte(uint8_t value) {
    return Write(&value, 1) == 1;
}

bool FileImageStream::Seek(int32_t distance, SeekOrigin origin) {
    if (fd_ < 0)
        return false;
    return ::lseek(fd_, distance, WhenceFor(origin)) >= 0 || Fail(errno);
}

int64_t FileImageStream::Tell() {
    if (fd_ < 0)
        return -1;
    return ::lseek(fd_, 0, SEEK_CUR);
}

bool FileImageStream::Truncate() {
    const int64_t position = Tell();
    if (position < 0)
        return false;
    return ::ftruncate(fd_, position) == 0 || Fail(errno);
}

bool FileImageStream::Flush() {
    if (fd_ < 0)
        return false;
    return ::fsync(fd_) == 0 || Fail(errno);
}

int64_t FileImageStream::Size() {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return st.st_size;
}

}  // namespace lumivex
