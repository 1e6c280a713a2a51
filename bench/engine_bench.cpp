// Every stage of the engine on one PAL field (720 × 288, output 1440 × 1152): the fast kernels
// on 1 and 2 threads and the first scalar version side by side.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_inputs.h"
#include "bench/bench_setup.h"
#include "engine/features.h"
#include "engine/fusion.h"
#include "engine/registration.h"
#include "engine/resample.h"
#include "engine/sharpen.h"

namespace lumivex::bench {
namespace {

using engine::AffineTransform;
using engine::PlaneBuffer;

constexpr int32_t kFieldWidth = 720;
constexpr int32_t kFieldHeight = 288;
constexpr int32_t kOutWidth = 1440;
constexpr int32_t kOutHeight = 1152;

// The planes of one frame's pass through the engine, prepared once.
struct FieldStage {
    FieldStage()
        : reference(TexturedPicture(kFieldWidth, kFieldHeight, 0, 0, 1)),
          frame(TexturedPicture(kFieldWidth, kFieldHeight, 0.52, 0.57, 2)),
          estimate(kOutHeight, kOutWidth, 3),
          nearest(kOutHeight, kOutWidth, 3),
          warped(kOutHeight, kOutWidth, 3),
          outside(static_cast<size_t>(kOutWidth) * kOutHeight, 0),
          detail(kOutHeight, kOutWidth, 1),
          difference(kOutHeight, kOutWidth, 1),
          detailSums(kOutHeight, kOutWidth, 1),
          smoothed(TexturedPicture(kFieldWidth, kFieldHeight, 0, 0, 1)) {
        engine::scalar::ResampleCubic(estimate, reference.Plane());
        engine::ResampleNearest(nearest, reference.Plane());
        engine::DetailMap(detail, estimate, nearest);
        engine::DetailSums(detailSums, estimate, nearest);
        engine::scalar::WarpToGrid(warped, frame.Plane(), outside.data(), Transform());
        engine::Smooth2x2(smoothed.Plane());
        half = engine::HalvePlane(smoothed.Plane());
        quarter = engine::HalvePlane(half);
        eighth = engine::HalvePlane(quarter);
        features = engine::SelectFeatures(smoothed.Plane());
        shift = engine::EstimateShift(smoothed.Plane(), frame.Plane(), half, quarter, eighth);
    }
    static AffineTransform Transform() {
        return {kFieldTransform[0], kFieldTransform[1], kFieldTransform[2],
                kFieldTransform[3], kFieldTransform[4], kFieldTransform[5]};
    }

    Picture reference;
    Picture frame;
    PlaneBuffer<uint8_t> estimate;
    PlaneBuffer<uint8_t> nearest;
    PlaneBuffer<uint8_t> warped;
    std::vector<uint8_t> outside;
    PlaneBuffer<double> detail;
    PlaneBuffer<double> difference;
    PlaneBuffer<uint16_t> detailSums;
    Picture smoothed;
    PlaneBuffer<uint8_t> half;
    PlaneBuffer<uint8_t> quarter;
    PlaneBuffer<uint8_t> eighth;
    std::vector<engine::FeaturePoint> features;
    AffineTransform shift{};
};

FieldStage& Stage() {
    static FieldStage stage;
    return stage;
}

// Copies src over dst with the clock stopped (the stages that change their input in place).
void Restore(benchmark::State& state, const engine::BytePlane& dst, const engine::BytePlane& src) {
    state.PauseTiming();
    std::memcpy(dst.data, src.data, src.SampleCount());
    state.ResumeTiming();
}

void BM_ResampleCubic(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    const PlaneBuffer<uint8_t> out(kOutHeight, kOutWidth, 3);
    for (auto _ : state) {
        engine::ResampleCubic(out, s.reference.Plane());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ResampleCubic)->Apply(FastAndScalar);

void BM_WarpToFrame(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    const PlaneBuffer<uint8_t> aligned(kFieldHeight, kFieldWidth, 3);
    for (auto _ : state) {
        engine::WarpToFrame(aligned, s.frame.Plane(), FieldStage::Transform());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WarpToFrame)->Apply(FastAndScalar);

void BM_WarpToGrid(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    const PlaneBuffer<uint8_t> out(kOutHeight, kOutWidth, 3);
    std::vector<uint8_t> outside(s.outside.size());
    for (auto _ : state) {
        engine::WarpToGrid(out, s.frame.Plane(), outside.data(), FieldStage::Transform());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WarpToGrid)->Apply(FastAndScalar);

void BM_DetailMap(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    for (auto _ : state) {
        if (ScalarRun(state)) {
            engine::DetailMap(s.difference, s.estimate, s.warped);
        } else {
            engine::DetailSums(s.detailSums, s.estimate, s.warped);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DetailMap)->Apply(FastAndScalar);

void BM_FuseFrame(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    const PlaneBuffer<uint8_t> estimate(kOutHeight, kOutWidth, 3);
    for (auto _ : state) {
        Restore(state, estimate, s.estimate);
        if (ScalarRun(state)) {
            engine::FuseFrame(estimate, s.warped, s.outside.data(), 1, s.detail, s.difference);
        } else {
            engine::FuseFrameRows(estimate, s.warped, s.outside.data(), 1, s.detailSums);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FuseFrame)->Apply(FastAndScalar);

void BM_Sharpen(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    const PlaneBuffer<uint8_t> picture(kOutHeight, kOutWidth, 3);
    const PlaneBuffer<uint8_t> scratch(kOutHeight, kOutWidth, 3);
    for (auto _ : state) {
        Restore(state, picture, s.estimate);
        engine::Sharpen(picture, scratch, 5.0, 0.3, 0.0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Sharpen)->Apply(FastAndScalar);

void BM_EstimateShift(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine::EstimateShift(s.smoothed.Plane(), s.frame.Plane(), s.half,
                                                       s.quarter, s.eighth));
    }
}
BENCHMARK(BM_EstimateShift)->Apply(FastAndScalar);

void BM_RefineAffine(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    const PlaneBuffer<uint8_t> aligned(kFieldHeight, kFieldWidth, 3);
    engine::scalar::WarpToFrame(aligned, s.frame.Plane(), s.shift);
    const PlaneBuffer<uint8_t> start(kFieldHeight, kFieldWidth, 3);
    std::memcpy(start.view().data, aligned.view().data, aligned.view().SampleCount());
    for (auto _ : state) {
        Restore(state, aligned, start);
        AffineTransform t = s.shift;
        std::vector<engine::FeaturePoint> points = s.features;
        engine::RefineAffine(t, points, aligned, s.frame.Plane(), s.smoothed.Plane(), s.half,
                             s.quarter);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_RefineAffine)->Apply(FastAndScalar);

void BM_SelectFeatures(benchmark::State& state) {
    FieldStage& s = Stage();
    UseArguments(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine::SelectFeatures(s.smoothed.Plane()));
    }
}
BENCHMARK(BM_SelectFeatures)->Apply(FastAndScalar);

}  // namespace
}  // namespace lumivex::bench

BENCHMARK_MAIN();
