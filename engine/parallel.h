// How the engine spreads independent work over threads, and the switch back to its first,
// plain scalar single-thread kernels (kept as the reference the fast kernels are checked
// against).
#pragma once

#include <cstdint>
#include <functional>

namespace lumivex {

// Threads the engine may use; n < 1 restores the default, the machine's hardware threads.
void SetEngineThreadCount(int n);
int EngineThreadCount();

}  // namespace lumivex

namespace lumivex::engine {

// When on, every stage runs its plain scalar version on one thread, with the full-size
// intermediate planes of the first implementation.
void SetScalarOracle(bool on);
bool ScalarOracle();

// Calls body(begin, end) on contiguous ranges covering [0, count), each at least minChunk long
// (except when count itself is shorter), on up to EngineThreadCount() threads; returns when all
// are done. The ranges, up to rangesPerThread per thread, are handed out one by one: more of them
// even out items of uneven cost, at the price of a hand-out each. Nested calls, and calls while
// another run is in progress, run on the calling thread.
void ParallelFor(int32_t count, int32_t minChunk, const std::function<void(int32_t, int32_t)>& body,
                 int32_t rangesPerThread = 4);

// Calls body(begin, end) on ranges covering [0, count) of independent items, each item of a
// size that leaves threads idle on its own: side by side, one item per thread, in whole rounds
// only when the last round would leave threads idle, and the items after them in one call on the
// calling thread (each item then free to spread its own work over the threads). Without
// sideBySide, the whole range in that one call.
void ForEachSideBySide(int32_t count, bool sideBySide,
                       const std::function<void(int32_t, int32_t)>& body);

}  // namespace lumivex::engine
