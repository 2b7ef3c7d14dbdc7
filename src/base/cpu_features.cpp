#include "base/cpu_features.h"

#include <sched.h>
#include <unistd.h>

namespace {

bool processorRuns(CpuTier tier) {
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

CpuTier widestSupportedTier() { return processorRuns(CpuTier::Avx2) ? CpuTier::Avx2 : CpuTier::Baseline; }

}  // namespace

CpuTier cpufeatures::active = widestSupportedTier();

bool cpuTierSupported(CpuTier tier) { return processorRuns(tier); }

bool useCpuTier(CpuTier tier) {
    if (!processorRuns(tier)) {
        return false;
    }
    cpufeatures::active = tier;
    return true;
}

uint32_t usableCpuCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        int count = CPU_COUNT(&set);
        return count > 0 ? static_cast<uint32_t>(count) : 1;
    }
    // A mask wider than cpu_set_t (more than 1024 CPUs): the online ones.
    long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<uint32_t>(online) : 1;
}
