#include "bench/quality_methods.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

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
QualityOptions& ChosenQualityOptions() {
    static QualityOptions options;
    return options;
}

bool Quality(std::vector<Picture>& frames, Picture& out) {
    std::vector<uint8_t*> pointers = PixelPointers(frames);
    EnhanceProgress progress;
    return ReconstructQuality(progress, pointers.data(), static_cast<int32_t>(frames.size()),
                              frames[0].width, frames[0].height, 0, out.pixels.data(), out.width,
                              out.height, ChosenQualityOptions());
}

bool SetQualityOption(QualityOptions& o, const std::string& key, double value) {
    const auto count = static_cast<int32_t>(value);
    if (key == "rounds") {
        o.rounds = count;
    } else if (key == "steps") {
        o.stepsPerRound = count;
    } else if (key == "chroma") {
        o.chromaSteps = count;
    } else if (key == "delta") {
        o.huberDelta = value;
    } else if (key == "lambda") {
        o.lambda = value;
    } else if (key == "noise") {
        o.noiseReference = value;
    } else if (key == "radius") {
        o.priorRadius = count;
    } else if (key == "decay") {
        o.priorDecay = value;
    } else if (key == "epsilon") {
        o.priorEpsilon = value;
    } else if (key == "blur") {
        o.blurSigma = value;
    } else {
        return false;
    }
    return true;
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

// Where sample (line, position) of a 3-channel plane lies: line × line + position × step.
struct Strides {
    size_t line;
    size_t step;
};

// Resamples every line of in (length inLength, borders repeated) with taps into out.
template <typename T>
void CubicPass(const T* in, float* out, const Taps& taps, int32_t lines, int32_t inLength,
               Strides from, Strides to) {
    const auto outLength = static_cast<int32_t>(taps.first.size());
    for (int32_t l = 0; l < lines; ++l) {
        for (int32_t d = 0; d < outLength; ++d) {
            for (int32_t ch = 0; ch < 3; ++ch) {
                float v = 0;
                for (int32_t k = 0; k < 4; ++k) {
                    const auto p =
                        static_cast<size_t>(std::clamp(taps.first[d] + k, 0, inLength - 1));
                    v += taps.weights[d * 4 + k] *
                         static_cast<float>(in[l * from.line + p * from.step + ch]);
                }
                out[l * to.line + static_cast<size_t>(d) * to.step + ch] = v;
            }
        }
    }
}

}  // namespace

void CentredCubic(const Picture& src, Picture& dst) {
    const size_t srcRow = static_cast<size_t>(src.width) * 3;
    const size_t dstRow = static_cast<size_t>(dst.width) * 3;
    // Along the rows into a src.height × dst.width real plane, then down its columns.
    std::vector<float> rows(static_cast<size_t>(src.height) * dstRow);
    CubicPass(src.pixels.data(), rows.data(), CentredTaps(src.width, dst.width), src.height,
              src.width, {srcRow, 3}, {dstRow, 3});
    std::vector<float> out(static_cast<size_t>(dst.height) * dstRow);
    CubicPass(rows.data(), out.data(), CentredTaps(src.height, dst.height), dst.width, src.height,
              {3, dstRow}, {3, dstRow});
    for (size_t i = 0; i < out.size(); ++i) {
        dst.pixels[i] = static_cast<uint8_t>(std::clamp(std::lround(out[i]), 0L, 255L));
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

bool SetQualityOptions(const std::string& list, std::string* why) {
#ifdef LUMIVEX_QUALITY_COLUMN
    std::stringstream entries(list);
    for (std::string entry; std::getline(entries, entry, ',');) {
        if (entry == "blur=auto") {
            ChosenQualityOptions().blurSigma.reset();
            continue;
        }
        const size_t eq = entry.find('=');
        char* end = nullptr;
        const double value =
            eq == std::string::npos ? 0.0 : std::strtod(entry.c_str() + eq + 1, &end);
        if (eq == std::string::npos || end == entry.c_str() + eq + 1 || *end != '\0' ||
            !SetQualityOption(ChosenQualityOptions(), entry.substr(0, eq), value)) {
            *why = "--quality: cannot use \"" + entry + "\"";
            return false;
        }
    }
    return true;
#else
    (void)list;
    *why = "--quality: the reconstruction library is not part of this build";
    return false;
#endif
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
