#include "image/image_stream.h"

#include <algorithm>
#include <limits>

namespace lumivex {

bool SeekForward(ImageStream& stream, int64_t distance) {
    while (distance > 0) {
        const auto step =
            static_cast<int32_t>(std::min<int64_t>(distance, std::numeric_limits<int32_t>::max()));
        if (!stream.Seek(step, SeekOrigin::kCurrent))
            return false;
        distance -= step;
    }
    return distance == 0;
}

bool SeekTo(ImageStream& stream, int64_t position) {
    return position >= 0 && stream.Seek(0, SeekOrigin::kBegin) && SeekForward(stream, position);
}

}  // namespace lumivex
