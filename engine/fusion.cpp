#include "engine/fusion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/parallel.h"

namespace lumivex::engine {

namespace {

constexpr double kGateFactor = 1.72;

int32_t Luminance(const uint8_t* p) {
    return p[0] + 3 * p[1] + 2 * p[2];
}

// The running state of the measure: the sum not yet taken off in quanta, and the quanta taken.
struct QuantumCount {
    int64_t quantum;
    int64_t acc = 0;
    int32_t count = 0;

    void Add(int64_t term) {
        acc += term;
        if (acc > quantum) {
            acc -= quantum;
            ++count;
        }
    }
};

// One row of the central ninth: its squared luminance differences added up, and the largest.
struct RowTotals {
    int64_t sum = 0;
    int64_t largest = 0;
};

template <typename SecondSample>
int64_t SquaredDifference(BytePlane p, SecondSample& second, int32_t r, int32_t c) {
    const int64_t d = Luminance(&p.At(r, c)) - Luminance(second(r, c));
    return d * d;
}

// Counts how many quanta of (rows × cols) / 9 the squared luminance differences over the central
// ninth add up to, taking off at most one quantum per pixel. The running sum is kept in 64 bits:
// on small planes with strong differences it would outgrow 32 bits.
template <typename SecondSample>
int32_t CentralMeasurePixelByPixel(BytePlane p, SecondSample second) {
    QuantumCount state{(static_cast<int64_t>(p.rows) * p.cols) / 9};
    for (int32_t r = p.rows / 3; r <= (2 * p.rows) / 3 - 1; ++r) {
        for (int32_t c = p.cols / 3; c <= (2 * p.cols) / 3 - 1; ++c) {
            state.Add(SquaredDifference(p, second, r, c));
        }
    }
    return state.count;
}

// The same count from row totals worked out in parallel. While the running sum is at most one
// quantum and no term of a row exceeds one, every pixel of the row leaves the sum in (0, quantum]
// once it is positive, so the row's count follows from its total alone; any other row is counted
// pixel by pixel, in order, as above.
template <typename SecondSample>
int32_t CentralMeasure(BytePlane p, SecondSample second) {
    if (ScalarOracle()) {
        return CentralMeasurePixelByPixel(p, second);
    }
    const int32_t row0 = p.rows / 3;
    const int32_t col0 = p.cols / 3;
    const int32_t col1 = (2 * p.cols) / 3 - 1;
    const int32_t rows = (2 * p.rows) / 3 - row0;
    std::vector<RowTotals> totals(static_cast<size_t>(std::max(rows, 0)));
    ParallelFor(rows, 16, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            RowTotals& t = totals[static_cast<size_t>(k)];
            for (int32_t c = col0; c <= col1; ++c) {
                const int64_t term = SquaredDifference(p, second, row0 + k, c);
                t.sum += term;
                t.largest = std::max(t.largest, term);
            }
        }
    });
    QuantumCount state{(static_cast<int64_t>(p.rows) * p.cols) / 9};
    for (int32_t k = 0; k < rows; ++k) {
        const RowTotals& t = totals[static_cast<size_t>(k)];
        if (state.quantum > 0 && state.acc <= state.quantum && t.largest <= state.quantum) {
            const int64_t total = state.acc + t.sum;
            const int64_t taken = total == 0 ? 0 : (total - 1) / state.quantum;
            state.acc = total - taken * state.quantum;
            state.count += static_cast<int32_t>(taken);
        } else {
            for (int32_t c = col0; c <= col1; ++c) {
                state.Add(SquaredDifference(p, second, row0 + k, c));
            }
        }
    }
    return state.count;
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
