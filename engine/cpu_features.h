// What the engine's fast kernels need to know of the processor. Kernels written with AVX2
// intrinsics exist only where LUMIVEX_X86_KERNELS is defined and are called only when
// CpuHasAvx2() says so; plain loops that gain from wider vectors are compiled twice instead
// (LUMIVEX_AVX2_CLONES), for AVX2 and for any x86-64, and the loader picks one when the program
// starts (an ifunc resolver). Every version computes the same bytes.
//
// ThreadSanitizer instruments that resolver, which then runs before the sanitizer's runtime has
// started and crashes, so such builds keep the portable clone only.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#define LUMIVEX_X86_KERNELS 1
#endif

#if defined(LUMIVEX_X86_KERNELS) && !defined(__SANITIZE_THREAD__)
#define LUMIVEX_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define LUMIVEX_AVX2_CLONES
#endif

namespace lumivex::engine {

// True when the processor runs AVX2 instructions; asked once, then remembered.
bool CpuHasAvx2();

}  // namespace lumivex::engine
