// Loops that gain from wider vector instructions are compiled twice, for AVX2 and for any x86-64
// processor, and the loader picks one when the program starts (an ifunc resolver). Both versions
// compute the same bytes. ThreadSanitizer instruments that resolver, which then runs before the
// sanitizer's runtime has started and crashes, so such builds keep the portable version only, as
// do processors other than x86-64.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_THREAD__)
#define LUMIVEX_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define LUMIVEX_AVX2_CLONES
#endif
