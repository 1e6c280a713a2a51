// The final unsharp mask: a separable Gaussian blur of the whole picture, then every sample is
// pushed away from its blurred value by a fixed fraction.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/plane.h"

namespace lumivex::engine {

// An odd number of weights summing to 1, symmetric about the centre tap; standard deviation
// |p| + 1, cut off at two standard deviations.
std::vector<double> GaussianKernel(double p);

// For every tap k and byte value v, v × weights[k] at table[k × 256 + v].
std::vector<double> KernelProductTable(const std::vector<double>& weights);

// Blurs a line of count pixels of `channels` interleaved samples from src into dst (which must
// not overlap). Near the ends only the taps with a source pixel count, renormalised. Sums are
// rounded to nearest, halves away from zero.
void ConvolveLine(int32_t channels, const double* table, const double* weights, int32_t n,
                  const uint8_t* src, uint8_t* dst, int32_t count);

// One sample of ConvolveLine: pixel i, channel ch.
uint8_t BlurSample(int32_t channels, const double* table, const double* weights, int32_t n,
                   const uint8_t* src, int32_t count, int32_t i, int32_t ch);
// Rounds a non-negative weighted mean of bytes to the nearest byte, halves up.
inline uint8_t RoundToByte(double v) {
    return static_cast<uint8_t>(std::min(std::floor(v + 0.5), 255.0));
}
// One sample of the unsharp mask: trunc(v + amount × (v − blurred)) clamped to 0 … 255, the
// difference ignored when |2 × diff| is below threshold.
uint8_t SharpenSample(uint8_t original, uint8_t blurred, double amount, double threshold);

// Unsharp mask in place: result = trunc(v + amount × (v − blurred)), clamped to 0 … 255;
// differences with |2 × diff| below threshold are ignored.
void Sharpen(BytePlane plane, double widthParameter, double amount, double threshold);
// The same with a caller's scratch plane of plane's size for the horizontal pass (the fast
// path's only full-size intermediate).
void Sharpen(BytePlane plane, BytePlane scratch, double widthParameter, double amount,
             double threshold);

// The engine's closing unsharp mask of an estimate with frames blended in: width parameter 5,
// amount 0.3, threshold 0, with scratch as in Sharpen.
void SharpenFused(BytePlane plane, BytePlane scratch);

namespace scalar {
// The plain version: whole-line convolutions through the product table, one thread.
void Sharpen(BytePlane plane, double widthParameter, double amount, double threshold);
}  // namespace scalar

}  // namespace lumivex::engine
