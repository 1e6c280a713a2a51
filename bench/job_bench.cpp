// Whole enhancement runs (decoding excluded): registration, warping, gate, fusion and
// sharpening of a PAL video's fields, an HD burst and a camera burst; and the same jobs through the
// high-quality reconstruction where its library is built in.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_inputs.h"
#include "bench/bench_setup.h"
#include "engine/enhance_progress.h"
#include "engine/super_resolve.h"
#ifdef LUMIVEX_HAVE_RECONSTRUCT
#include "reconstruct/reconstruct.h"
#endif

namespace lumivex::bench {
namespace {

struct JobShape {
    int32_t frames;
    int32_t width;
    int32_t height;
    int32_t outWidth;
    int32_t outHeight;
};

// 5 interlaced frames of 720 × 576 are 10 fields of 720 × 288.
constexpr JobShape kPal{10, 720, 288, 1440, 1152};
constexpr JobShape kHd{8, 1920, 1080, 3840, 2160};
constexpr JobShape kCamera{8, 4000, 3000, 8000, 6000};

// The frames of a shape, made on first use only (the camera burst alone is 288 MB).
std::vector<Picture>& Frames(const JobShape& shape) {
    static std::vector<Picture> pal;
    static std::vector<Picture> hd;
    static std::vector<Picture> camera;
    std::vector<Picture>& frames =
        shape.width == kPal.width ? pal : (shape.width == kHd.width ? hd : camera);
    if (frames.empty()) {
        frames = TexturedBurst(shape.frames, shape.width, shape.height);
    }
    return frames;
}

enum class Method { kStandard, kQuality };

void RunJob(benchmark::State& state, const JobShape& shape, Method method = Method::kStandard) {
    std::vector<Picture>& frames = Frames(shape);
    UseArguments(state);
    std::vector<uint8_t> out(static_cast<size_t>(shape.outWidth) * shape.outHeight * 3);
    int32_t accepted = 0;
    for (auto _ : state) {
        std::vector<uint8_t*> pointers = PixelPointers(frames);
        EnhanceProgress progress;
        accepted = 0;
        const auto count = [&](const RegistrationReport& r) { accepted += r.accepted ? 1 : 0; };
        if (method == Method::kStandard) {
            SuperResolve(progress, pointers.data(), shape.frames, shape.width, shape.height, 0,
                         out.data(), shape.outWidth, shape.outHeight, nullptr, count);
        } else {
#ifdef LUMIVEX_HAVE_RECONSTRUCT
            ReconstructQuality(progress, pointers.data(), shape.frames, shape.width, shape.height,
                               0, out.data(), shape.outWidth, shape.outHeight, QualityOptions{},
                               count);
#endif
        }
        benchmark::ClobberMemory();
    }
    state.counters["accepted"] = accepted;
}

void BM_PalJob(benchmark::State& state) {
    RunJob(state, kPal);
}
BENCHMARK(BM_PalJob)->Apply(FastAndScalar);

void BM_HdJob(benchmark::State& state) {
    RunJob(state, kHd);
}
BENCHMARK(BM_HdJob)->Apply(FastOnly);

void BM_CameraJob(benchmark::State& state) {
    RunJob(state, kCamera);
}
BENCHMARK(BM_CameraJob)->Apply(FastOnly)->Iterations(1);

#ifdef LUMIVEX_HAVE_RECONSTRUCT
void BM_PalJobQuality(benchmark::State& state) {
    RunJob(state, kPal, Method::kQuality);
}
BENCHMARK(BM_PalJobQuality)->Apply(FastOnly);

void BM_CameraJobQuality(benchmark::State& state) {
    RunJob(state, kCamera, Method::kQuality);
}
BENCHMARK(BM_CameraJobQuality)->Apply(FastOnly)->Iterations(1);
#endif

}  // namespace
}  // namespace lumivex::bench
