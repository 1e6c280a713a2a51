#include "image/bmp_rle.h"

#include <cstdint>
#include <limits>

#include "image/byte_reader.h"

namespace lumivex {

namespace {

// The write position; 64 bits so that no sequence of runs or deltas can wrap it.
struct RunPosition {
    int64_t column = 0;
    int64_t row = 0;
};

void PutPixel(RgbImage& image, RunPosition& at, int index) {
    if (at.column < image.Width() && at.row < image.Height()) {
        image.WritePixelIndex(static_cast<int32_t>(at.column), static_cast<int32_t>(at.row), index);
    }
    ++at.column;
}

// n pixels taken literally from the stream; false when the stream ended.
bool AbsoluteRun(ByteReader& in, BmpRunLength variant, int n, RgbImage& image, RunPosition& at) {
    const int bytes = variant == BmpRunLength::kEightBit ? n : (n + 1) / 2;
    int pixel = 0;
    for (int i = 0; i < bytes; ++i) {
        const int value = in.Next();
        if (value < 0)
            return false;
        if (variant == BmpRunLength::kEightBit) {
            PutPixel(image, at, value);
            continue;
        }
        PutPixel(image, at, value >> 4);
        if (++pixel < n)
            PutPixel(image, at, value & 0x0F);
        ++pixel;
    }
    if (bytes % 2 == 1 && in.Next() < 0)
        return false;
    return true;
}

void EncodedRun(BmpRunLength variant, int n, int value, RgbImage& image, RunPosition& at) {
    for (int i = 0; i < n; ++i) {
        if (variant == BmpRunLength::kEightBit) {
            PutPixel(image, at, value);
        } else {
            PutPixel(image, at, (i % 2 == 0) ? value >> 4 : value & 0x0F);
        }
    }
}

}  // namespace

bool DecodeBmpRunLength(ImageStream& stream, BmpRunLength variant, RgbImage& image) {
    ByteReader in(stream);
    RunPosition at;
    // Data that stops before its end-of-bitmap escape is whole only if it reached the last pixel.
    const auto endedEarly = [&] {
        const int64_t last = image.Height() - 1;
        return at.row < last || (at.row == last && at.column < image.Width());
    };
    for (;;) {
        const int count = in.Next();
        const int value = in.Next();
        if (count < 0 || value < 0)
            return !endedEarly();
        if (count > 0) {
            EncodedRun(variant, count, value, image, at);
            continue;
        }
        switch (value) {
            case 0:  // end of row
                ++at.row;
                at.column = 0;
                break;
            case 1:  // end of bitmap
                return true;
            case 2: {  // delta
                const int dx = in.Next();
                const int dy = in.Next();
                if (dx < 0 || dy < 0)
                    return !endedEarly();
                at.column += dx;
                at.row += dy;
                break;
            }
            default:
                if (!AbsoluteRun(in, variant, value, image, at))
                    return !endedEarly();
                break;
        }
    }
}

}  // namespace lumivex
