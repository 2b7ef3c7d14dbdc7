// The classes of a chosen set as the report gives them: numbered per fault
// in the report's order of faults, and counted after each vector applied.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/diagnostic/fault_classes.h"

// Per fault 2n + b (fault b of node n, n below nodeCount): the number of
// its class among the faults the table detects under `vectors`, classes
// numbered from 0 in the order of their lowest fault (faults the vectors
// detect not at all are one class), and the size of that class; NoClass
// and 0 for a fault no row of the table detects.
struct FaultClassNumbers {
    std::vector<uint32_t> number;
    std::vector<uint32_t> size;
};

FaultClassNumbers numberFaultClasses(const FaultTable& table, const std::vector<uint32_t>& vectors,
                                     uint32_t nodeCount);

// The classes of the detected faults after each vector of `order` in turn.
std::vector<uint32_t> classesAfterEach(const FaultTable& table, const std::vector<uint32_t>& order);
