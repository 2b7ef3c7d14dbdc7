// Running a check at every instruction-set tier this processor supports, and
// on one CPU only.
#pragma once

#include <sched.h>

#include <string>

#include "select/selection_for_tests.h"

inline std::string tierName(CpuTier tier) {
    static const char* const Names[] = {"baseline", "avx2"};
    return Names[static_cast<uint32_t>(tier)];
}

// body(tier) with each supported tier active in turn; the tier the process
// chose is active again afterwards, also when body throws.
template <class Body>
void forEachSupportedTier(Body&& body) {
    struct Restore {
        CpuTier tier = activeCpuTier();
        ~Restore() { useCpuTier(tier); }
    } restore;
    for (CpuTier tier : {CpuTier::Baseline, CpuTier::Avx2}) {
        if (useCpuTier(tier)) {
            body(tier);
        }
    }
}

// While it lives, the calling thread may run on one CPU only, as a process
// started under `taskset` with one CPU.
class OneCpuOnly {
public:
    OneCpuOnly() {
        ::sched_getaffinity(0, sizeof saved_, &saved_);
        int first = 0;
        while (first < CPU_SETSIZE - 1 && !CPU_ISSET(first, &saved_)) {
            ++first;
        }
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        ::sched_setaffinity(0, sizeof one, &one);
    }
    ~OneCpuOnly() { ::sched_setaffinity(0, sizeof saved_, &saved_); }
    OneCpuOnly(const OneCpuOnly&) = delete;
    OneCpuOnly& operator=(const OneCpuOnly&) = delete;

private:
    cpu_set_t saved_{};
};
