// Feeds arbitrary bytes to the BMP decoder through a memory stream, then touches every pixel row
// of what it produced so that a picture smaller than its header claims is caught.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_checks.h"
#include "image/bmp_codec.h"
#include "image/image_stream.h"
#include "image/rgb_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumivex::MemoryImageStream stream(data, size);
    lumivex::RgbImage image;
    lumivex::BmpCodec codec;
    if (codec.Decode(stream, image))
        lumivex::fuzz::TouchPicture(image);
    return 0;
}
