#include "allocation_limit.h"

#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>

namespace lumivex::testing_memory {

namespace {

constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();
std::atomic<int64_t> liveBytes{0};  // held through operator new, counted as the heap gives them
std::atomic<int64_t> limitBase{0};  // liveBytes when the limit began
std::atomic<int64_t> budgetBytes{kNoLimit};

// The block, or nullptr when it is refused or the heap has none.
void* Take(size_t bytes) {
    const int64_t budget = budgetBytes.load(std::memory_order_relaxed);
    if (budget != kNoLimit &&
        liveBytes.load() - limitBase.load() + static_cast<int64_t>(bytes) > budget) {
        return nullptr;
    }
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block != nullptr)
        liveBytes.fetch_add(static_cast<int64_t>(::malloc_usable_size(block)));
    return block;
}

void* TakeOrThrow(size_t bytes) {
    void* block = Take(bytes);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void Give(void* block) {
    if (block == nullptr)
        return;
    liveBytes.fetch_sub(static_cast<int64_t>(::malloc_usable_size(block)));
    std::free(block);
}

}  // namespace

AllocationLimit::AllocationLimit(size_t budget) {
    limitBase = liveBytes.load();
    budgetBytes = static_cast<int64_t>(budget);
}

AllocationLimit::~AllocationLimit() {
    budgetBytes = kNoLimit;
}

}  // namespace lumivex::testing_memory

using lumivex::testing_memory::Give;
using lumivex::testing_memory::Take;
using lumivex::testing_memory::TakeOrThrow;

void* operator new(size_t bytes) {
    return TakeOrThrow(bytes);
}
void* operator new[](size_t bytes) {
    return TakeOrThrow(bytes);
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    return Take(bytes);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    return Take(bytes);
}
void operator delete(void* block) noexcept {
    Give(block);
}
void operator delete[](void* block) noexcept {
    Give(block);
}
void operator delete(void* block, size_t) noexcept {
    Give(block);
}
void operator delete[](void* block, size_t) noexcept {
    Give(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Give(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Give(block);
}
