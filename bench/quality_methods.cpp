#include "bench/quality_methods.h"

#include <algorithm>
#include <cmath>

#include "engine/parallel.h"
#include "engine/resample.h"
#include "engine/super_resolve.h"

#if defined(LUMIVEX_HAVE_RECONSTRUCT) && __has_include("reconstruct/reconstruct.h")
#include "reconstruct/reconstruct.h"
#define LUMIVEX_QUALITY_COLUMN 1
#endif

namespace lumivex::bench {

namespace {

bool EngineCubic(std::vector<Picture>& frames, Picture& out) {
    engine::ResampleCubic(out.Plane(), frames[0].Plane());
    return true;
}

bool Cubic(std::vector<Picture>& frames, Picture& out) {
    CentredCubic(frames[0], out);
    return true;
}

bool Engine(std::vector<Picture>& frames, Picture& out) {
    std::vector<uint8_t*> pointers = PixelPointers(frames);
    EnhanceProgress progress;
    return SuperResolve(progress, pointers.data(), static_cast<int32_t>(frames.size()),
                        frames[0].width, frames[0].height, 0, out.pixels.data(), out.width,
                        out.height, nullptr);
}

#ifdef LUMIVEX_QUALITY_COLUMN
bool Quality(std::vector<Picture>& frames, Picture& out) {
    std::vector<uint8_t*> pointers = PixelPointers(frames);
    EnhanceProgress progress;
    return ReconstructQuality(progress, pointers.data(), static_cast<int32_t>(frames.size()),
                              frames[0].width, frames[0].height, 0, out.pixels.data(), out.width,
                              out.height, QualityOptions{});
}
#endif

// Source taps and Catmull-Rom weights of every destination column (or row).
struct Taps {
    std::vector<int32_t> first;
    std::vector<float> weights;  // 4 per destination position
};

Taps CentredTaps(int32_t srcSize, int32_t dstSize) {
    Taps taps;
    const double step = static_cast<double>(srcSize) / dstSize;
    for (int32_t d = 0; d < dstSize; ++d) {
        const double pos = (d + 0.5) * step - 0.5;
        const double base = std::floor(pos);
        const auto t = static_cast<float>(pos - base);
        taps.first.push_back(static_cast<int32_t>(base) - 1);
        for (int32_t k = -1; k <= 2; ++k) {
            taps.weights.push_back(engine::CubicWeight(k, t));
        }
    }
    return taps;
}

}  // namespace

void CentredCubic(const Picture& src, Picture& dst) {
    const Taps across = CentredTaps(src.width, dst.width);
    const Taps down = CentredTaps(src.height, dst.height);
    auto clampRow = [&](int32_t r) { return std::clamp(r, 0, src.height - 1); };
    auto clampCol = [&](int32_t c) { return std::clamp(c, 0, src.width - 1); };
    // Horizontal pass into a src.height × dst.width real plane, then the vertical pass.
    std::vector<float> rows(static_cast<size_t>(src.height) * dst.width * 3);
    for (int32_t r = 0; r < src.height; ++r) {
        for (int32_t c = 0; c < dst.width; ++c) {
            for (int32_t ch = 0; ch < 3; ++ch) {
                float v = 0;
                for (int32_t k = 0; k < 4; ++k) {
                    const int32_t sc = clampCol(across.first[c] + k);
                    v += across.weights[c * 4 + k] *
                         src.pixels[(static_cast<size_t>(r) * src.width + sc) * 3 + ch];
                }
                rows[(static_cast<size_t>(r) * dst.width + c) * 3 + ch] = v;
            }
        }
    }
    for (int32_t r = 0; r < dst.height; ++r) {
        for (int32_t c = 0; c < dst.width; ++c) {
            for (int32_t ch = 0; ch < 3; ++ch) {
                float v = 0;
                for (int32_t k = 0; k < 4; ++k) {
                    const int32_t sr = clampRow(down.first[r] + k);
                    v += down.weights[r * 4 + k] *
                         rows[(static_cast<size_t>(sr) * dst.width + c) * 3 + ch];
                }
                dst.pixels[(static_cast<size_t>(r) * dst.width + c) * 3 + ch] =
                    static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
            }
        }
    }
}

std::vector<NamedMethod> AvailableMethods() {
    std::vector<NamedMethod> methods = {
        {"cubic", Cubic}, {"engine-cubic", EngineCubic}, {"engine", Engine}};
#ifdef LUMIVEX_QUALITY_COLUMN
    methods.push_back({"quality", Quality});
#endif
#ifdef LUMIVEX_HAVE_OPENCV_SUPERRES
    methods.push_back({"btvl1", [](std::vector<Picture>& frames, Picture& out) {
                           return RunOpenCvBtvL1(frames, out, EngineThreadCount());
                       }});
#endif
    return methods;
}

std::string MissingMethodNote(const std::string& name) {
#ifndef LUMIVEX_QUALITY_COLUMN
    if (name == "quality") {
        return "quality: skipped, the reconstruction library is not part of this build";
    }
#endif
#ifndef LUMIVEX_HAVE_OPENCV_SUPERRES
    if (name == "btvl1") {
        return "btvl1: skipped, OpenCV's superres module (libopencv-contrib-dev) was not found";
    }
#endif
    return name == "quality" || name == "btvl1" || name == "cubic" || name == "engine" ||
                   name == "engine-cubic"
               ? ""
               : name + ": no such method";
}

}  // namespace lumivex::bench
