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

// One row of the central ninth: its squared luminance differences added up, and the largest.
struct RowTotals {
    int64_t sum = 0;
    int64_t largest = 0;
};

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

    // A whole row from its totals, when they decide it: while the sum is at most one quantum and
    // no term exceeds one, each pixel leaves the sum in (0, quantum] once it is positive, so the
    // quanta taken are those that leave the row's final sum there. False (nothing added)
    // otherwise.
    bool AddRow(const RowTotals& row) {
        if (quantum <= 0 || acc > quantum || row.largest > quantum) {
            return false;
        }
        const int64_t total = acc + row.sum;
        const int64_t taken = total == 0 ? 0 : (total - 1) / quantum;
        acc = total - taken * quantum;
        count += static_cast<int32_t>(taken);
        return true;
    }
};

// The central ninth of p: rows row0 ... row0 + rows - 1, columns col0 ... col1.
struct CentralNinth {
    explicit CentralNinth(BytePlane p)
        : row0(p.rows / 3),
          rows((2 * p.rows) / 3 - row0),
          col0(p.cols / 3),
          col1((2 * p.cols) / 3 - 1),
          quantum((static_cast<int64_t>(p.rows) * p.cols) / 9) {}
    int32_t row0;
    int32_t rows;
    int32_t col0;
    int32_t col1;
    int64_t quantum;
};

template <typename SecondSample>
int64_t SquaredDifference(BytePlane p, SecondSample& second, int32_t r, int32_t c) {
    const int64_t d = Luminance(&p.At(r, c)) - Luminance(second(r, c));
    return d * d;
}

template <typename SecondSample>
void AddPixelByPixel(QuantumCount& state, BytePlane p, SecondSample& second,
                     const CentralNinth& ninth, int32_t r) {
    for (int32_t c = ninth.col0; c <= ninth.col1; ++c) {
        state.Add(SquaredDifference(p, second, r, c));
    }
}

template <typename SecondSample>
std::vector<RowTotals> CentralRowTotals(BytePlane p, SecondSample& second,
                                        const CentralNinth& ninth) {
    std::vector<RowTotals> totals(static_cast<size_t>(std::max(ninth.rows, 0)));
    ParallelFor(ninth.rows, 16, [&](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) {
            RowTotals& t = totals[static_cast<size_t>(k)];
            for (int32_t c = ninth.col0; c <= ninth.col1; ++c) {
                const int64_t term = SquaredDifference(p, second, ninth.row0 + k, c);
                t.sum += term;
                t.largest = std::max(t.largest, term);
            }
        }
    });
    return totals;
}

// Counts how many quanta of (rows × cols) / 9 the squared luminance differences over the central
// ninth add up to, taking off at most one quantum per pixel. The running sum is kept in 64 bits:
// on small planes with strong differences it would outgrow 32 bits. The rows' totals are worked
// out in parallel; a row they do not decide is counted pixel by pixel, in order (as the scalar
// oracle counts every row).
template <typename SecondSample>
int32_t CentralMeasure(BytePlane p, SecondSample second) {
    const CentralNinth ninth(p);
    QuantumCount state{ninth.quantum};
    if (ScalarOracle()) {
        for (int32_t k = 0; k < ninth.rows; ++k) {
            AddPixelByPixel(state, p, second, ninth, ninth.row0 + k);
        }
        return state.count;
    }
    const std::vector<RowTotals> totals = CentralRowTotals(p, second, ninth);
    for (int32_t k = 0; k < ninth.rows; ++k) {
        if (!state.AddRow(totals[static_cast<size_t>(k)])) {
            AddPixelByPixel(state, p, second, ninth, ninth.row0 + k);
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
