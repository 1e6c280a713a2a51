// The final unsharp mask: a separable Gaussian blur of the whole picture, then every sample is
// pushed away from its blurred value by a fixed fraction.
#pragma once

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

// Unsharp mask in place: result = trunc(v + amount × (v − blurred)), clamped to 0 … 255;
// differences with |2 × diff| below threshold are ignored.
void Sharpen(BytePlane plane, double widthParameter, double amount, double threshold);

}  // namespace lumivex::engine
