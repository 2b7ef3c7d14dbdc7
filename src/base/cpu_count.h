// The CPUs this process may run on, for the reader and the selection, which
// start a second thread only when there are two.
#pragma once

#include <cstdint>

// The CPUs this process may run on (its affinity mask, which a container or
// `taskset` may make smaller than the machine), at least 1.
uint32_t usableCpuCount();
