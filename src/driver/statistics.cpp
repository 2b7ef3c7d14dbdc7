#include "driver/statistics.h"

#include <cstdio>

void printStatistics(uint32_t cycleCount, uint32_t chosenCount, uint32_t coveredCount, uint32_t nodeCount) {
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

void printFigures(const SelectionResult& selection) {
    if (selection.detections) {
        std::printf("Detected at least %u times: %u of %u faults\n", selection.detections->times,
                    selection.detections->met, selection.detections->total);
    }
    if (selection.classes) {
        std::printf("Distinguished %u of %u fault classes\n", selection.classes->distinguished,
                    selection.classes->total);
    }
    if (selection.bound) {
        std::printf(selection.bound->upper ? "Upper bound %llu faults\n" : "Lower bound %llu vectors\n",
                    static_cast<unsigned long long>(selection.bound->value));
    }
}
