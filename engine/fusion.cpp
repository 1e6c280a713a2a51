#include "engine/fusion.h"

#include <cmath>
#include <cstdlib>

namespace lumivex::engine {

namespace {

constexpr double kGateFactor = 1.72;

int32_t Luminance(const uint8_t* p) {
    return p[0] + 3 * p[1] + 2 * p[2];
}

// Counts how many quanta of (rows × cols) / 9 the squared luminance differences over the central
// ninth add up to, taking off at most one quantum per pixel. The running sum is kept in 64 bits:
// on small planes with strong differences it would outgrow 32 bits.
template <typename SecondSample>
int32_t CentralMeasure(BytePlane p, SecondSample second) {
    const int64_t quantum = (static_cast<int64_t>(p.rows) * p.cols) / 9;
    int64_t acc = 0;
    int32_t count = 0;
    for (int32_t r = p.rows / 3; r <= (2 * p.rows) / 3 - 1; ++r) {
        for (int32_t c = p.cols / 3; c <= (2 * p.cols) / 3 - 1; ++c) {
            const int64_t d = Luminance(&p.At(r, c)) - Luminance(second(r, c));
            acc += d * d;
            if (acc > quantum) {
                acc -= quantum;
                ++count;
            }
        }
    }
    return count;
}

}  // namespace

int32_t DiagonalDifference(BytePlane p, int32_t dy, int32_t dx) {
    return CentralMeasure(p, [&](int32_t r, int32_t c) { return &p.At(r + dy, c + dx); });
}

int32_t PlaneDifference(BytePlane a, BytePlane b) {
    return CentralMeasure(a, [&](int32_t r, int32_t c) { return &b.At(r, c); });
}

double GateLimit(int32_t baseline) {
    return kGateFactor * baseline;
}

bool PassesGate(int32_t difference, double limit) {
    return difference <= limit;
}

void DetailMap(RealPlane out, BytePlane a, BytePlane b) {
    static constexpr int32_t kWeight[3] = {1, 3, 2};
    for (int32_t r = 1; r + 1 < a.rows; ++r) {
        for (int32_t c = 1; c + 1 < a.cols; ++c) {
            int32_t s = 0;
            for (int32_t y = r - 1; y <= r + 1; ++y) {
                for (int32_t x = c - 1; x <= c + 1; ++x) {
                    const uint8_t* pa = &a.At(y, x);
                    const uint8_t* pb = &b.At(y, x);
                    for (int32_t ch = 0; ch < 3; ++ch) {
                        s += kWeight[ch] * std::abs(pa[ch] - pb[ch]);
                    }
                }
            }
            out.At(r, c) = s * (1.0 / 54.0) + 2.8;
        }
    }
    for (int32_t r = 0; r < out.rows; ++r) {
        out.At(r, 0) = out.At(r, 1);
        out.At(r, out.cols - 1) = out.At(r, out.cols - 2);
    }
    for (int32_t c = 0; c < out.cols; ++c) {
        out.At(0, c) = out.At(1, c);
        out.At(out.rows - 1, c) = out.At(out.rows - 2, c);
    }
}

void FuseFrame(BytePlane estimate, BytePlane warped, const uint8_t* outside, int32_t accepted,
               RealPlane detail, RealPlane scratch) {
    DetailMap(scratch, estimate, warped);
    const double n = accepted;
    for (int32_t r = 0; r < estimate.rows; ++r) {
        for (int32_t c = 0; c < estimate.cols; ++c) {
            const size_t i = static_cast<size_t>(r) * estimate.cols + c;
            const double x = scratch.data[i] / (detail.data[i] * 4.8);
            if (!(x < 1.0) || outside[i] != 0) {
                continue;
            }
            uint8_t* e = &estimate.At(r, c);
            const uint8_t* w = &warped.At(r, c);
            for (int32_t ch = 0; ch < 3; ++ch) {
                e[ch] = static_cast<uint8_t>(((1.0 - x) * w[ch] + (n + x) * e[ch]) / (n + 1.0));
            }
        }
    }
}

void FuseFrame(BytePlane estimate, BytePlane warped, const uint8_t* outside, int32_t accepted,
               RealPlane detail) {
    const PlaneBuffer<double> scratch(estimate.rows, estimate.cols, 1);
    FuseFrame(estimate, warped, outside, accepted, detail, scratch);
}

}  // namespace lumivex::engine
