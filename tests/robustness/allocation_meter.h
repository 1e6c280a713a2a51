// Measures the heap while a piece of code runs, through the allocator hooks of the sanitizer
// runtime the test build links. A build without sanitizers has no hooks: Available() is false
// and the memory checks are skipped.
#pragma once

#include <cstdint>

namespace lumivex::robustness {

class AllocationMeter {
public:
    static bool Available();

    // Starts a measurement; live bytes count from zero here.
    AllocationMeter();
    ~AllocationMeter();
    AllocationMeter(const AllocationMeter&) = delete;
    AllocationMeter& operator=(const AllocationMeter&) = delete;

    // The most bytes that were allocated at once (beyond what was live at the start).
    int64_t PeakBytes() const;
    // The largest single allocation.
    int64_t LargestBlock() const;
    // Bytes allocated since the start and not freed yet.
    int64_t LiveBytes() const;
};

}  // namespace lumivex::robustness
