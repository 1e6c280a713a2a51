// Shared set-up of the benchmarks: the thread count and the scalar oracle from the arguments.
#pragma once

#include <benchmark/benchmark.h>

#include "engine/parallel.h"

namespace lumivex::bench {

// Arguments of every engine benchmark: threads, and 1 to run the first scalar version.
inline void UseArguments(const benchmark::State& state) {
    SetEngineThreadCount(static_cast<int>(state.range(0)));
    engine::SetScalarOracle(state.range(1) != 0);
}

inline bool ScalarRun(const benchmark::State& state) {
    return state.range(1) != 0;
}

// threads 1 and 2 of the fast kernels, then the scalar version.
inline void FastAndScalar(benchmark::internal::Benchmark* b) {
    b->ArgNames({"threads", "scalar"})->Args({1, 0})->Args({2, 0})->Args({1, 1});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// threads 1 and 2 of the fast kernels only (for the large jobs and the OpenCV yardstick).
inline void FastOnly(benchmark::internal::Benchmark* b) {
    b->ArgNames({"threads", "scalar"})->Args({1, 0})->Args({2, 0});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The field of a PAL frame warped onto its 1440 × 1152 output grid: a little rotation, scale
// and a sub-pixel shift, as registration finds them.
inline constexpr double kFieldTransform[6] = {0.001, -0.002, 0.52, 0.002, 0.001, 0.57};

}  // namespace lumivex::bench
