#include "driver/statistics.h"

#include <cstdio>

void printStatistics(uint32_t cycleCount, uint32_t chosenCount, uint32_t coveredCount,
                     uint32_t nodeCount) {
    // Every node carries two faults.
    uint32_t faultCount = 2 * nodeCount;
    double percent = 0.0;
    if (faultCount != 0) {
        percent = static_cast<double>(coveredCount) / static_cast<double>(faultCount) * 100.0;
    }
    std::printf("Used %u cycles\n", cycleCount);
    std::printf("Chose %u vectors\n", chosenCount);
    std::printf("Covered %u of %u ", coveredCount, faultCount);
    std::printf(" (i.e. %f %%)\n", percent);
}
