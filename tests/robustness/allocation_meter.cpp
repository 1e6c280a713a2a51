#include "tests/robustness/allocation_meter.h"

#include <algorithm>
#include <atomic>
#include <cstddef>

// Declared weak so that a build without sanitizers still links; the functions are then null.
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                              void (*freeHook)(const volatile void*))
    __attribute__((weak));
size_t __sanitizer_get_allocated_size(const volatile void* pointer) __attribute__((weak));
}

namespace lumivex::robustness {

namespace {

std::atomic<bool> measuring{false};
std::atomic<int64_t> liveBytes{0};
std::atomic<int64_t> peakBytes{0};
std::atomic<int64_t> largestBlock{0};

void RaiseTo(std::atomic<int64_t>& value, int64_t candidate) {
    int64_t seen = value.load();
    while (candidate > seen && !value.compare_exchange_weak(seen, candidate)) {
    }
}

void OnMalloc(const volatile void*, size_t size) {
    if (!measuring.load(std::memory_order_relaxed))
        return;
    const int64_t bytes = static_cast<int64_t>(size);
    RaiseTo(largestBlock, bytes);
    RaiseTo(peakBytes, liveBytes.fetch_add(bytes) + bytes);
}

void OnFree(const volatile void* pointer) {
    if (!measuring.load(std::memory_order_relaxed) || pointer == nullptr)
        return;
    liveBytes.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(pointer)));
}

bool InstallHooks() {
    // The runtime keeps a handful of hook slots for the whole process: install once.
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks != nullptr &&
        __sanitizer_get_allocated_size != nullptr &&
        __sanitizer_install_malloc_and_free_hooks(&OnMalloc, &OnFree) != 0;
    return installed;
}

}  // namespace

bool AllocationMeter::Available() {
    return InstallHooks();
}

AllocationMeter::AllocationMeter() {
    InstallHooks();
    liveBytes = 0;
    peakBytes = 0;
    largestBlock = 0;
    measuring = true;
}

AllocationMeter::~AllocationMeter() {
    measuring = false;
}

int64_t AllocationMeter::PeakBytes() const {
    return peakBytes.load();
}

int64_t AllocationMeter::LiveBytes() const {
    return liveBytes.load();
}

int64_t AllocationMeter::LargestBlock() const {
    return largestBlock.load();
}

}  // namespace lumivex::robustness
