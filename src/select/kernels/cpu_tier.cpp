#include "select/kernels/cpu_tier.h"

bool processorRunsTier(CpuTier tier) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();  // this may run among the static constructors
    switch (tier) {
        case CpuTier::Baseline:
            return true;
        case CpuTier::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    }
    return false;
#else
    return tier == CpuTier::Baseline;
#endif
}

CpuTier cputier::active = processorRunsTier(CpuTier::Avx2) ? CpuTier::Avx2 : CpuTier::Baseline;
