// The classes of a chosen set as the console and the report give them:
// counted against the input's, numbered per fault, and counted after each
// vector applied. Each is over the faults some input vector detects, and
// the faults the chosen vectors do not detect are one class.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/diagnostic/fault_classes.h"

struct ClassCounts {
    uint32_t chosen = 0;  // under the chosen vectors
    uint32_t input = 0;   // under every input vector
};

ClassCounts countClasses(const PatternSet& patterns, const std::vector<uint32_t>& chosen);

// Per fault number the table's rows can hold: the number of its class
// under `vectors`, classes numbered from 0 in the order of their lowest
// fault; NoClass for a fault no input vector detects. Per class number:
// its size.
struct FaultClassNumbers {
    std::vector<uint32_t> number;
    std::vector<uint32_t> size;
};

FaultClassNumbers numberFaultClasses(const PatternSet& patterns, const std::vector<uint32_t>& vectors);

// The number of the fault's class; NoClass beyond the faults numbered.
inline uint32_t classNumberOf(const FaultClassNumbers& numbers, uint64_t fault) {
    return fault < numbers.number.size() ? numbers.number[fault] : NoClass;
}

// The classes after each vector of `order` in turn.
std::vector<uint32_t> classesAfterEach(const PatternSet& patterns, const std::vector<uint32_t>& order);
