#include "base/cpu_count.h"

#include <sched.h>
#include <unistd.h>

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
