// Feeds arbitrary bytes to the PNG decoder through a memory stream, touches every pixel row of
// what it produced, and checks that a small accepted picture survives being written and read
// back with the same codec.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_checks.h"
#include "image/image_stream.h"
#include "image/png_codec.h"
#include "image/rgb_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumivex::MemoryImageStream stream(data, size);
    lumivex::RgbImage image;
    lumivex::PngCodec codec;
    if (codec.Decode(stream, image)) {
        lumivex::fuzz::TouchPicture(image);
        lumivex::fuzz::CheckRoundTrip(codec, image);
    }
    return 0;
}
