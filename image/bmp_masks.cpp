#include "image/bmp_masks.h"

#include <cstring>
#include <vector>

#include "image/byte_order.h"
#include "image/picture_rows.h"

namespace lumivex {

namespace {

// One channel of a pixel: its bits, moved down to bit 0, and their largest value.
class Channel {
public:
    explicit Channel(uint32_t mask)
        : mask_(mask), shift_(mask ? __builtin_ctz(mask) : 0), max_(mask >> shift_) {}

    bool Present() const { return max_ != 0; }
    // The channel of pixel scaled to 0..255: round(value x 255 / max).
    uint8_t Of(uint32_t pixel) const {
        if (max_ == 0)
            return 0;
        const uint64_t value = (pixel & mask_) >> shift_;
        return static_cast<uint8_t>((value * 255 + max_ / 2) / max_);
    }

private:
    uint32_t mask_;
    int shift_;
    uint32_t max_;
};

int32_t ReadFully(ImageStream& stream, uint8_t* buffer, int32_t count) {
    int32_t done = 0;
    while (done < count) {
        const int32_t got = stream.Read(buffer + done, count - done);
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

}  // namespace

bool ReadMaskedPixels(ImageStream& stream, int bitsPerPixel, const BmpChannelMasks& masks,
                      RgbImage& image) {
    const Channel red(masks.red), green(masks.green), blue(masks.blue), alpha(masks.alpha);
    const int32_t width = image.Width();
    const int bytesPerPixel = bitsPerPixel / 8;
    // Packed rows are padded to 4 bytes like every bitmap row.
    const int32_t rowBytes = static_cast<int32_t>((int64_t{width} * bitsPerPixel + 31) / 32 * 4);
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (int32_t y = 0; y < image.Height(); ++y) {
        const int32_t got = ReadFully(stream, row.data(), rowBytes);
        if (got < static_cast<int32_t>(int64_t{width} * bytesPerPixel))
            return false;
        uint8_t* out = image.Row(y);
        const uint8_t* in = row.data();
        for (int32_t x = 0; x < width; ++x, in += bytesPerPixel, out += 3) {
            const uint32_t pixel = bytesPerPixel == 2 ? LoadLe16(in) : LoadLe32(in);
            const uint8_t a = alpha.Present() ? alpha.Of(pixel) : 255;
            out[0] = OnWhite(blue.Of(pixel), a);
            out[1] = OnWhite(green.Of(pixel), a);
            out[2] = OnWhite(red.Of(pixel), a);
        }
    }
    return true;
}

}  // namespace lumivex
