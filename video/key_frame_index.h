// The key frames of a stream as its packets were counted at opening: each one's presentation
// time stamp and the byte position its packet starts at. A seek can then start decoding at the
// last key frame shown at or before its target instead of searching the file by time stamps,
// which in files with sparse time stamps often lands past the target and has to start again
// from the beginning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivex::video {

class KeyFrameIndex {
public:
    // Key frames must come in presentation order; one that does not (broken time stamps) or one
    // past the size limit empties the index for good, and seeks search by time as before.
    void Add(int64_t timestamp, int64_t bytePosition);
    void Clear();
    // The byte position of the last key frame shown at or before timestamp, when that is not the
    // stream's first key frame (from there on the start of the file is the way in); false when
    // there is none.
    bool PositionBefore(int64_t timestamp, int64_t& bytePosition) const;

    // Entries kept at most: a stream of key frames only gains nothing from the index.
    static constexpr size_t kMaxEntries = size_t{1} << 20;

private:
    struct Entry {
        int64_t timestamp;
        int64_t bytePosition;
    };
    std::vector<Entry> entries_;
    bool broken_ = false;
};

}  // namespace lumivex::video
