// The byte streams the picture codecs read and write. Codecs never see a path: they get an
// ImageStream positioned where their data starts, so files, memory buffers and fuzzers all feed
// the same code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lumivex {

enum class SeekOrigin { kBegin = 0, kCurrent = 1, kEnd = 2 };

class ImageStream {
public:
    virtual ~ImageStream() = default;

    // Bytes actually read (fewer at the end of the data); 0 when count <= 0 or reading fails.
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Bytes actually written; 0 when count <= 0 or writing fails.
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // The next byte (0..255), or -1 at the end of the data or on a read error.
    virtual int ReadByte() = 0;
    virtual bool WriteByte(uint8_t value) = 0;
    virtual bool IsOpen() const = 0;
    // False when the new position would be negative or the stream cannot seek.
    virtual bool Seek(int32_t distance, SeekOrigin origin) = 0;
    // Current position; -1 when unknown.
    virtual int64_t Tell() = 0;
    // Makes the data end at the current position.
    virtual bool Truncate() = 0;
    // True when everything written so far has reached its destination.
    virtual bool Flush() = 0;
    // Total size in bytes; -1 when unknown.
    virtual int64_t Size() = 0;
};

// Moves to an absolute position, or forward by a distance; both may exceed what one Seek takes.
bool SeekTo(ImageStream& stream, int64_t position);
bool SeekForward(ImageStream& stream, int64_t distance);

// A stream over a file descriptor. Reads and writes go straight to the file (no user-space
// buffering), so Flush means the data reached the disk (fsync).
class FileImageStream : public ImageStream {
public:
    enum class Mode {
        kReadExisting,       // read only; the file must exist
        kWriteAlwaysCreate,  // write only; created, or truncated when it exists
    };

    FileImageStream() = default;
    ~FileImageStream() override;
    FileImageStream(const FileImageStream&) = delete;
    FileImageStream& operator=(const FileImageStream&) = delete;

    // Closes any open file first; false (and Error() set) when the file cannot be opened.
    bool Open(const std::string& path, Mode mode);
    // Takes ownership of an already open descriptor.
    void Adopt(int fd);
    // False when closing reported an error (a write the kernel could not complete).
    bool Close();

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int ReadByte() override;
    bool WriteByte(uint8_t value) override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool Seek(int32_t distance, SeekOrigin origin) override;
    int64_t Tell() override;
    bool Truncate() override;
    bool Flush() override;
    int64_t Size() override;

    // errno of the first failed operation since Open (0 when none).
    int Error() const { return error_; }

private:
    bool Fail(int error);

    int fd_ = -1;
    int error_ = 0;
};

// A stream over a byte vector held by the stream; for tests, fuzzers and in-memory encoding.
class MemoryImageStream : public ImageStream {
public:
    MemoryImageStream() = default;
    explicit MemoryImageStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
    MemoryImageStream(const uint8_t* data, size_t size) : data_(data, data + size) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int ReadByte() override;
    bool WriteByte(uint8_t value) override;
    bool IsOpen() const override { return true; }
    bool Seek(int32_t distance, SeekOrigin origin) override;
    int64_t Tell() override { return static_cast<int64_t>(position_); }
    bool Truncate() override;
    bool Flush() override { return !flushFails_; }
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }

    const std::vector<uint8_t>& Data() const { return data_; }
    // Writes stop (short) once the stream holds this many bytes; simulates a full disk.
    void SetCapacity(size_t capacity) { capacity_ = capacity; }
    void SetFlushFails(bool fails) { flushFails_ = fails; }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
    size_t capacity_ = static_cast<size_t>(-1);
    bool flushFails_ = false;
};

}  // namespace lumivex
