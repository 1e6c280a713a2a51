// Makes the heap run out while a test runs, in every build (the sanitizer runtime reports a real
// lack of memory as a fatal error instead of throwing, so an address-space limit cannot stand in
// for it there). The test program replaces the global operator new and delete.
#pragma once

#include <cstddef>

namespace lumivex::testing_memory {

// While it lives, operator new refuses any block that would take the bytes allocated through it
// since the limit began (and not freed) beyond budget: std::bad_alloc, or nullptr from the
// nothrow forms. One limit at a time.
class AllocationLimit {
public:
    explicit AllocationLimit(size_t budget);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;
};

}  // namespace lumivex::testing_memory
