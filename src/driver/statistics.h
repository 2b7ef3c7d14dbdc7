// The statistics lines printed after the time line.
#pragma once

#include <cstdint>

// "Used %u cycles", "Chose %u vectors" and "Covered %u of %u  (i.e. %f %%)".
void printStatistics(uint32_t cycleCount, uint32_t chosenCount, uint32_t coveredCount,
                     uint32_t nodeCount);
