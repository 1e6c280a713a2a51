#include "video/key_frame_index.h"

#include <algorithm>

namespace lumivex::video {

void KeyFrameIndex::Add(int64_t timestamp, int64_t bytePosition) {
    if (broken_) {
        return;
    }
    const bool inOrder = entries_.empty() || (timestamp > entries_.back().timestamp &&
                                              bytePosition > entries_.back().bytePosition);
    if (!inOrder || bytePosition < 0 || entries_.size() >= kMaxEntries) {
        entries_.clear();
        entries_.shrink_to_fit();
        broken_ = true;
        return;
    }
    entries_.push_back({timestamp, bytePosition});
}

void KeyFrameIndex::Clear() {
    entries_.clear();
    broken_ = false;
}

bool KeyFrameIndex::PositionBefore(int64_t timestamp, int64_t& bytePosition) const {
    const auto after =
        std::upper_bound(entries_.begin(), entries_.end(), timestamp,
                         [](int64_t value, const Entry& entry) { return value < entry.timestamp; });
    if (after - entries_.begin() < 2) {
        return false;
    }
    bytePosition = std::prev(after)->bytePosition;
    return true;
}

}  // namespace lumivex::video
