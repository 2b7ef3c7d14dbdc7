// The classes of a set of faults under a set of vectors: two faults share a
// class when every vector of the set detects both or neither. Kept by
// partition refinement, one row at a time, never as pairs.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/faults/fault_marks.h"

constexpr uint32_t NoClass = UINT32_MAX;

// The faults of a class lie side by side in `members`; a split moves the
// faults a row detects to the front of their class's range, which becomes
// the new class. Only faults of classes of two or more can be told apart
// any further: `shared` marks them, and the row visits look at them alone.
struct FaultClasses {
    std::vector<uint32_t> classOf;     // per fault number; NoClass for faults outside the set
    std::vector<uint32_t> position;    // per fault of the set: its index in `members`
    std::vector<uint32_t> members;     // the faults of the set, class by class
    std::vector<uint32_t> classStart;  // per class: its first index in `members`
    std::vector<uint32_t> classSize;   // per class: its faults, at least 1
    FaultMarks shared;                 // the faults whose class has two or more
    // Scratch of the row visits, per class: the row's faults of it; and the
    // classes met.
    std::vector<uint32_t> hits;
    std::vector<uint32_t> touched;
};

inline uint32_t classCount(const FaultClasses& classes) { return static_cast<uint32_t>(classes.classSize.size()); }

// The first fault of class `c`: one fault stands for the class wherever
// only the vectors that detect it matter.
inline uint32_t representativeOf(const FaultClasses& classes, uint32_t c) {
    return classes.members[classes.classStart[c]];
}

// The faults some row of the table detects.
FaultMarks detectedFaults(const PatternSet& patterns);

// The faults of the set in class 0 (no class when the set is empty): their
// classes under no vector at all.
FaultClasses oneClassOf(const PatternSet& patterns, FaultMarks faults);

// Splits every class the row detects in part: the faults it detects form a
// new class, numbered after the others.
void refineByRow(FaultClasses& classes, const FaultTableRow& row);

// The pairs of faults of one class that the row tells apart: the sum over
// the classes C of |C and row| * |C - row|.
uint64_t pairsSplitBy(FaultClasses& classes, const FaultTableRow& row);

// The classes of the faults of the set under the vectors.
FaultClasses classesUnder(const PatternSet& patterns, const std::vector<uint32_t>& vectors, FaultMarks faults);
