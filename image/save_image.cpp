#include "image/save_image.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "image/image_codec.h"
#include "image/image_stream.h"

namespace lumivex {

namespace {

std::atomic<const std::atomic<bool>*> g_abandonWhen{nullptr};

// True when the program asked for saves to stop (an interrupt) before anything at the path
// changes.
bool Abandoned() {
    const std::atomic<bool>* flag = g_abandonWhen.load();
    return flag != nullptr && flag->load();
}

constexpr char kAbandonedText[] = "interrupted";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string SystemText(int error) {
    return std::strerror(error);
}

bool Report(std::string* error, std::string* reason, const std::string& what,
            const std::string& why) {
    if (error)
        *error = what + ": " + why;
    if (reason)
        *reason = why;
    return false;
}

// The process's file-creation mask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtol(line.c_str() + 6, nullptr, 8));
    }
    return 022;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The descriptor that path names by itself (/dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N), or -1. Writing goes through that descriptor, so the bytes land where the
// process's own stream goes, at its current position.
int NamedDescriptor(const std::string& path) {
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.size() > prefix.size() && path.rfind(prefix, 0) == 0 &&
            path.find_first_not_of("0123456789", prefix.size()) == std::string::npos &&
            path.size() - prefix.size() < 9) {
            return std::atoi(path.c_str() + prefix.size());
        }
    }
    return -1;
}

// Where a chain of symbolic links ends (path itself when it is no link); a relative link counts
// from the link's folder. Stops at a named descriptor and after 40 links, as the system does.
std::string FinalTarget(const std::string& path) {
    std::string current = path;
    for (int links = 0; links < 40 && NamedDescriptor(current) < 0; ++links) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::string text(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), text.data(), text.size());
        if (length <= 0 || static_cast<size_t>(length) >= text.size())
            break;
        text.resize(static_cast<size_t>(length));
        current = text[0] == '/' ? text : FolderOf(current) + "/" + text;
    }
    return current;
}

// Waits up to a twentieth of a second for fd to take more bytes, or for a signal.
void WaitUntilWritable(int fd) {
    pollfd entry{fd, POLLOUT, 0};
    (void)::poll(&entry, 1, 50);
}

bool WriteAll(int fd, const char* data, size_t size, std::string* why) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            const bool full = errno == EAGAIN;  // a FIFO or device opened without blocking
            if (Abandoned()) {
                *why = kAbandonedText;
                return false;
            }
            if (full)
                WaitUntilWritable(fd);
            continue;
        }
        if (n <= 0) {
            *why = SystemText(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies from's content, from its start, to to's current position.
bool CopyContent(int from, int to, std::string* why) {
    if (::lseek(from, 0, SEEK_SET) != 0) {
        *why = SystemText(errno);
        return false;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = SystemText(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (!WriteAll(to, buffer.data(), static_cast<size_t>(n), why))
            return false;
    }
}

// The complete content, encoded into an anonymous memory file: its descriptor, or -1 with why
// set. Nothing outside the process changes.
int EncodeToMemory(const ContentWriter& write, std::string* why) {
    const int fd = ::memfd_create("lumivex-save", MFD_CLOEXEC);
    if (fd < 0) {
        *why = SystemText(errno);
        return -1;
    }
    FileImageStream stream;
    stream.Adopt(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!stream.IsOpen() || !write(stream, why)) {
        if (!stream.IsOpen())
            *why = SystemText(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

// Opens a FIFO or a device for writing without blocking: a FIFO that has no reader yet is tried
// again every twentieth of a second, so that a save abandoned at any moment (a signal) stops the
// wait, where a blocking open would wait for a reader for ever. The descriptor stays non-blocking;
// WriteAll waits for it. -1 with errno set (EINTR when abandoned).
int OpenWithoutBlocking(const std::string& target) {
    for (;;) {
        const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0 || errno != ENXIO)
            return fd;
        if (Abandoned()) {
            errno = EINTR;
            return -1;
        }
        (void)::poll(nullptr, 0, 50);
    }
}

// A FIFO, a character device or a named descriptor: the encoded content, written straight in.
bool WriteToStream(const std::string& path, const std::string& target, const ContentWriter& write,
                   std::string* error, std::string* reason) {
    std::string why;
    const int content = EncodeToMemory(write, &why);
    if (content < 0)
        return Report(error, reason, "Cannot write " + path, why);
    if (Abandoned()) {
        ::close(content);
        return Report(error, reason, "Cannot write " + path, kAbandonedText);
    }
    const int named = NamedDescriptor(target);
    const int fd = named >= 0 ? ::fcntl(named, F_DUPFD_CLOEXEC, 0) : OpenWithoutBlocking(target);
    bool ok = fd >= 0;
    if (!ok)
        why = errno == EINTR ? kAbandonedText : SystemText(errno);
    ok = ok && CopyContent(content, fd, &why);
    if (fd >= 0 && ::close(fd) != 0 && ok && errno != EINTR) {
        why = SystemText(errno);
        ok = false;
    }
    ::close(content);
    return ok || Report(error, reason, "Cannot write " + path, why);
}

// No temporary file could be made beside target (made: why not): the encoded content is written
// over the existing file. Until the file is opened for writing nothing changes; a failure after
// that says the file may now be incomplete.
bool WriteInPlace(const std::string& path, const std::string& target, const std::string& made,
                  const ContentWriter& write, std::string* error, std::string* reason) {
    std::string why;
    const int content = EncodeToMemory(write, &why);
    if (content < 0)
        return Report(error, reason, "Cannot write " + path, why);
    if (Abandoned()) {
        ::close(content);
        return Report(error, reason, "Cannot write " + path, kAbandonedText);
    }
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        ::close(content);
        return Report(error, reason, "Cannot write " + path, made);
    }
    const off_t size = ::lseek(content, 0, SEEK_END);
    bool ok = CopyContent(content, fd, &why);
    if (ok && (::ftruncate(fd, size) != 0 || ::fsync(fd) != 0)) {
        why = SystemText(errno);
        ok = false;
    }
    ok = (::close(fd) == 0 || errno == EINTR) && ok;
    ::close(content);
    if (ok)
        return true;
    return Report(error, reason, "Cannot write " + path,
                  why + "; no temporary file could be made in " + FolderOf(target) + " (" + made +
                      "), so the file was written in place and may now be incomplete");
}

// The new file takes the replaced one's owner, group (where permitted) and permissions; a new
// file gets what creating it directly would give.
bool TakeOverAttributes(int fd, bool replacing, const struct stat& old) {
    if (!replacing)
        return ::fchmod(fd, 0666 & ~CurrentUmask()) == 0;
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);  // a group of ours, at least
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Encodes into memory, lets rewrite change the bytes, then writes them all to stream.
bool EncodeRewritten(ImageCodec& codec, const RgbImage& image, const EncodedBytesFilter& rewrite,
                     FileImageStream& stream, std::string* why) {
    MemoryImageStream memory;
    if (!codec.Encode(memory, image)) {
        *why = codec.FailureReason();
        return false;
    }
    std::vector<uint8_t> bytes = memory.Data();
    rewrite(bytes);
    constexpr size_t kChunk = size_t{1} << 30;
    for (size_t done = 0; done < bytes.size();) {
        const auto count = static_cast<int32_t>(std::min(kChunk, bytes.size() - done));
        if (stream.Write(bytes.data() + done, count) != count) {
            *why = SystemText(stream.Error() != 0 ? stream.Error() : EIO);
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

}  // namespace

void AbandonSavesWhen(const std::atomic<bool>* flag) {
    g_abandonWhen.store(flag);
}

bool ReplaceFileAtomically(const std::string& path, const ContentWriter& write, std::string* error,
                           std::string* reason) {
    if (Abandoned())
        return Report(error, reason, "Cannot write " + path, kAbandonedText);
    const std::string target = FinalTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (NamedDescriptor(target) >= 0 || (exists && (S_ISFIFO(old.st_mode) || S_ISCHR(old.st_mode))))
        return WriteToStream(path, target, write, error, reason);
    if (exists && S_ISDIR(old.st_mode))
        return Report(error, reason, "Cannot write " + path, SystemText(EISDIR));
    const bool replacing = exists && S_ISREG(old.st_mode);
    const std::string folder = FolderOf(target);
    std::string temporary = folder + "/.lumivex-save-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const std::string made = SystemText(errno);
        if (replacing)
            return WriteInPlace(path, target, made, write, error, reason);
        return Report(error, reason, "Cannot write " + path, made);
    }
    FileImageStream stream;
    stream.Adopt(fd);
    std::string why;
    bool ok = write(stream, &why);
    if (!ok)
        Report(error, reason, "Cannot write " + path, why);
    if (ok && (!TakeOverAttributes(fd, replacing, old) || !stream.Flush() || !stream.Close())) {
        ok = Report(error, reason, "Cannot write " + path,
                    SystemText(stream.Error() != 0 ? stream.Error() : errno));
    }
    if (ok && Abandoned())
        ok = Report(error, reason, "Cannot write " + path, kAbandonedText);
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0)
        ok = Report(error, reason, "Cannot replace " + path, SystemText(errno));
    if (!ok) {
        stream.Close();
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool SaveImageToPath(const RgbImage& image, const std::string& path, std::string* error,
                     std::string* reason) {
    return SaveRewrittenImageToPath(image, path, nullptr, error, reason);
}

bool SaveRewrittenImageToPath(const RgbImage& image, const std::string& path,
                              const EncodedBytesFilter& rewrite, std::string* error,
                              std::string* reason) {
    if (image.IsEmpty())
        return Report(error, reason, "Cannot write " + path, "the picture is empty");
    return ReplaceFileAtomically(
        path,
        [&](FileImageStream& stream, std::string* why) {
            const std::unique_ptr<ImageCodec> codec = CodecForWriting(path);
            if (codec && rewrite)
                return EncodeRewritten(*codec, image, rewrite, stream, why);
            if (codec && codec->Encode(stream, image))
                return true;
            *why = !codec                ? "no picture format is written under this name"
                   : stream.Error() != 0 ? SystemText(stream.Error())
                                         : codec->FailureReason();
            return false;
        },
        error, reason);
}

}  // namespace lumivex
