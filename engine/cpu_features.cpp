#include "engine/cpu_features.h"

namespace lumivex::engine {

bool CpuHasAvx2() {
#ifdef LUMIVEX_X86_KERNELS
    static const bool has = __builtin_cpu_supports("avx2") != 0;
    return has;
#else
    return false;
#endif
}

}  // namespace lumivex::engine
