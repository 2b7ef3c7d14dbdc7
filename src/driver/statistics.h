// The statistics lines printed after the time line.
#pragma once

#include <cstdint>

#include "select/selection.h"

// "Used %u cycles", "Chose %u vectors" and "Covered %u of %u  (i.e. %f %%)".
void printStatistics(uint32_t cycleCount, uint32_t chosenCount, uint32_t coveredCount, uint32_t nodeCount);

// The lines of the figures the options asked for, after those: the faults
// detected N times ("-n_detect") and the bound ("-minimize").
void printFigures(const SelectionResult& selection);
