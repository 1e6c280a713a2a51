// The yardstick: OpenCV's cubic cv::warpAffine of one PAL field onto the 1440 × 1152 output
// grid, the same transform WarpToGrid's benchmark uses, with the same thread count.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "bench/bench_inputs.h"
#include "bench/bench_setup.h"

namespace lumivex::bench {
namespace {

void BM_OpenCvWarpCubic(benchmark::State& state) {
    Picture field = TexturedPicture(720, 288, 0.52, 0.57, 2);
    cv::setNumThreads(static_cast<int>(state.range(0)));
    const cv::Mat src(field.height, field.width, CV_8UC3, field.pixels.data());
    cv::Mat dst(1152, 1440, CV_8UC3);
    // Output pixel (j, i) samples the field at T(j · 720 / 1440, i · 288 / 1152).
    const double sx = 720.0 / 1440.0;
    const double sy = 288.0 / 1152.0;
    const double* p = kFieldTransform;
    const cv::Matx23d map((1 + p[0]) * sx, p[1] * sy, p[2], p[3] * sx, (1 + p[4]) * sy, p[5]);
    for (auto _ : state) {
        cv::warpAffine(src, dst, map, dst.size(), cv::INTER_CUBIC | cv::WARP_INVERSE_MAP);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_OpenCvWarpCubic)->Apply(FastOnly);

}  // namespace
}  // namespace lumivex::bench
