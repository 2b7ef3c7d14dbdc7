// What the vectors do to each class: every fault of a class is detected by
// the same vectors, so one fault of it (its representative) stands for all.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/diagnostic/fault_classes.h"
#include "select/faults/fault_marks.h"

// The first fault of every class.
FaultMarks representativeMarks(const PatternSet& patterns, const FaultClasses& classes);

// Per class: how many of the vectors detect it.
std::vector<uint32_t> classDetections(const PatternSet& patterns, const FaultClasses& classes,
                                      const FaultMarks& representatives, const std::vector<uint32_t>& vectors);

// The vectors that detect each class whose representative `wanted` marks;
// the other classes' lists are empty.
struct ClassSignatures {
    std::vector<uint64_t> start;    // per class and one more: its first entry in `vectors`
    std::vector<uint32_t> vectors;  // class by class, ascending
};

inline const uint32_t* signatureBegin(const ClassSignatures& signatures, uint32_t c) {
    return signatures.vectors.data() + signatures.start[c];
}
inline const uint32_t* signatureEnd(const ClassSignatures& signatures, uint32_t c) {
    return signatures.vectors.data() + signatures.start[c + 1];
}

ClassSignatures signaturesOfClasses(const PatternSet& patterns, const FaultClasses& classes, const FaultMarks& wanted);
