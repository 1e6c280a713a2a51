// Makes the sample burst: several low-resolution views of one photograph, each seen through a
// box filter of kFactor x kFactor source pixels at a known sub-pixel offset. With rows counted
// from the bottom, pixel (x, y) of frame 0 is the mean of the box centred on truth pixel
// (kFactor x, kFactor y). Frame k at (x,
// y) shows what frame 0 shows at (x + dx_k, y + dy_k) (x to the right, y downwards, in frame
// pixels). The source region the frames cover is written as the ground truth of a kFactor x
// enlargement of frame 0.
//
// usage: lumivex-make-burst SOURCE OUTDIR [--truth FILE.bmp]
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "image/read_image.h"
#include "image/rgb_image.h"
#include "image/save_image.h"

namespace {

using lumivex::RgbImage;

constexpr int kFactor = 2;
constexpr int kTruthWidth = 960;
constexpr int kTruthHeight = 720;

struct Offset {
    double dx;
    double dy;
};

// Hand-held jitter in frame pixels; frame 0 is the reference grid.
constexpr Offset kOffsets[] = {{0.00, 0.00}, {0.50, 0.25},   {-0.75, 0.50}, {0.25, -0.50},
                               {1.25, 0.75}, {-0.40, -0.90}, {0.80, 1.10},  {-1.30, 0.35}};

// The source samples under [start, start + length) with the length of their overlap.
std::vector<std::pair<int, double>> BoxWeights(double start, double length) {
    std::vector<std::pair<int, double>> weights;
    const double end = start + length;
    for (int i = static_cast<int>(std::floor(start)); i < end; ++i) {
        const double overlap = std::fmin(end, i + 1.0) - std::fmax(start, static_cast<double>(i));
        if (overlap > 0.0) {
            weights.emplace_back(i, overlap);
        }
    }
    return weights;
}

// Source pixels needed around the region for the largest offset (and one for rounding).
int RequiredMargin() {
    double largest = 0.0;
    for (const Offset& offset : kOffsets) {
        largest = std::fmax(largest, std::fmax(std::fabs(offset.dx), std::fabs(offset.dy)));
    }
    return static_cast<int>(std::ceil(kFactor * largest)) + 1;
}

// Where the box of frame position p starts in the source: centred on the middle of truth pixel
// kFactor x p, which is where an enlargement that maps output pixel j to frame position
// j / kFactor puts it.
double BoxStart(int origin, double p) {
    return origin + kFactor * p + 0.5 - kFactor / 2.0;
}

// Everything below counts rows as the pictures store them, from the bottom, because that is how
// the enlargement lines up the rows of a frame with those of its output. A downward offset dy is
// therefore -dy here.
const uint8_t* PixelAt(const RgbImage& image, int x, int storedRow) {
    return image.Row(storedRow) + 3 * x;
}
uint8_t* PixelAt(RgbImage& image, int x, int storedRow) {
    return image.Row(storedRow) + 3 * x;
}

RgbImage RenderFrame(const RgbImage& source, int left, int bottom, Offset offset) {
    RgbImage frame(kTruthWidth / kFactor, kTruthHeight / kFactor, 24);
    for (int y = 0; y < frame.Height(); ++y) {
        const auto rows = BoxWeights(BoxStart(bottom, y - offset.dy), kFactor);
        for (int x = 0; x < frame.Width(); ++x) {
            const auto columns = BoxWeights(BoxStart(left, x + offset.dx), kFactor);
            double sum[3] = {0.0, 0.0, 0.0};
            for (const auto& [row, rowWeight] : rows) {
                for (const auto& [column, columnWeight] : columns) {
                    const uint8_t* pixel = PixelAt(source, column, row);
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += rowWeight * columnWeight * pixel[c];
                    }
                }
            }
            uint8_t* out = PixelAt(frame, x, y);
            for (int c = 0; c < 3; ++c) {
                out[c] = static_cast<uint8_t>(std::lround(sum[c] / (kFactor * kFactor)));
            }
        }
    }
    return frame;
}

RgbImage CropTruth(const RgbImage& source, int left, int bottom) {
    RgbImage truth(kTruthWidth, kTruthHeight, 24);
    for (int y = 0; y < kTruthHeight; ++y) {
        for (int x = 0; x < kTruthWidth; ++x) {
            const uint8_t* from = PixelAt(source, left + x, bottom + y);
            uint8_t* to = PixelAt(truth, x, y);
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    return truth;
}

bool Save(const RgbImage& image, const std::string& path) {
    std::string error;
    if (!lumivex::SaveImageToPath(image, path, &error)) {
        std::fprintf(stderr, "lumivex-make-burst: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--truth")) {
        std::fprintf(stderr, "usage: lumivex-make-burst SOURCE OUTDIR [--truth FILE.bmp]\n");
        return 2;
    }
    RgbImage source;
    std::string error;
    if (!lumivex::ReadImageFile(argv[1], source, &error) || !source.PromoteDepth(24)) {
        std::fprintf(stderr, "lumivex-make-burst: cannot read %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    // The region is centred; the margins must hold the largest offset on every side.
    const int left = (source.Width() - kTruthWidth) / 2;
    const int bottom = (source.Height() - kTruthHeight) / 2;
    const int margin = RequiredMargin();
    if (left < margin || bottom < margin) {
        std::fprintf(stderr, "lumivex-make-burst: the source must exceed %dx%d by %d pixels\n",
                     kTruthWidth, kTruthHeight, 2 * margin);
        return 1;
    }
    const std::string folder = argv[2];
    for (std::size_t k = 0; k < std::size(kOffsets); ++k) {
        char name[64];
        std::snprintf(name, sizeof name, "/hubble_%02zu.jpg", k);
        if (!Save(RenderFrame(source, left, bottom, kOffsets[k]), folder + name)) {
            return 1;
        }
        std::printf("%s dx %+.2f dy %+.2f\n", name + 1, kOffsets[k].dx, kOffsets[k].dy);
    }
    if (argc == 5 && !Save(CropTruth(source, left, bottom), argv[4])) {
        return 1;
    }
    return 0;
}
