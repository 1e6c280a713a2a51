#include "test_frames.h"

#include <cmath>
#include <string>

namespace lumivex::testing_frames {

namespace {

double Scene(double x, double y, int channel) {
    return 128.0 + 50.0 * std::sin(0.21 * x + 0.7 * channel) * std::cos(0.17 * y) +
           30.0 * std::sin(0.05 * x * y / 40.0 + 0.09 * y) + 20.0 * std::cos(0.43 * x - 0.31 * y);
}

}  // namespace

std::unique_ptr<RgbImage> MakeSceneFrame(int32_t width, int32_t height, double dx, double dy) {
    auto image = std::make_unique<RgbImage>(width, height, 24);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image->Row(y);
        for (int32_t x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const double v = Scene(x + dx, y + dy, c);
                row[3 * x + c] =
                    static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
            }
        }
    }
    return image;
}

int32_t MinWidth() {
    return (MinRegistrationWidth() + 3) / 4 * 4;
}

void FillJob(EnhanceJob& job, int32_t count, int32_t width, int32_t height) {
    job.Reset();
    for (int32_t k = 0; k < count; ++k) {
        job.frames.push_back(MakeSceneFrame(width, height, 0.37 * k, 0.21 * k));
        job.names.push_back("frame" + std::to_string(k));
    }
    job.width = width;
    job.height = height;
    job.referenceIndex = 0;
    job.inputKind = kInputImageSet;
}

}  // namespace lumivex::testing_frames
