#include "image/save_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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

// A replaced file keeps its permissions; a new one gets what creating it directly would give.
mode_t ModeForTarget(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool Report(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

std::string SystemText(int error) {
    return std::strerror(error);
}

// Encodes into memory, lets filter rewrite the bytes, then writes them all to stream.
bool EncodeFiltered(ImageCodec& codec, const RgbImage& image, const EncodedBytesFilter& filter,
                    FileImageStream& stream, std::string* why) {
    MemoryImageStream memory;
    if (!codec.Encode(memory, image)) {
        *why = codec.FailureReason();
        return false;
    }
    std::vector<uint8_t> bytes = memory.Data();
    filter(bytes);
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

bool ReplaceFileAtomically(const std::string& path, const ContentWriter& write,
                           std::string* error) {
    const std::string folder = FolderOf(path);
    std::string temporary = folder + "/.lumivex-save-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return Report(error, "Cannot write " + path + ": " + SystemText(errno));
    const mode_t mode = ModeForTarget(path);
    FileImageStream stream;
    stream.Adopt(fd);
    std::string why;
    bool ok = write(stream, &why);
    if (!ok)
        Report(error, "Cannot write " + path + ": " + why);
    if (ok && (::fchmod(fd, mode) != 0 || !stream.Flush() || !stream.Close())) {
        ok = Report(error, "Cannot write " + path + ": " +
                               SystemText(stream.Error() != 0 ? stream.Error() : errno));
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = Report(error, "Cannot replace " + path + ": " + SystemText(errno));
    }
    if (!ok) {
        stream.Close();
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool SaveImageToPath(const RgbImage& image, const std::string& path, std::string* error) {
    return SaveImageToPath(image, path, error, nullptr);
}

bool SaveImageToPath(const RgbImage& image, const std::string& path, std::string* error,
                     const EncodedBytesFilter& filter) {
    if (image.IsEmpty())
        return Report(error, "Cannot write " + path + ": the picture is empty");
    return ReplaceFileAtomically(
        path,
        [&](FileImageStream& stream, std::string* why) {
            const std::unique_ptr<ImageCodec> codec = CodecForWriting(path);
            if (filter)
                return EncodeFiltered(*codec, image, filter, stream, why);
            if (codec->Encode(stream, image))
                return true;
            *why = stream.Error() != 0 ? SystemText(stream.Error()) : codec->FailureReason();
            return false;
        },
        error);
}

}  // namespace lumivex
