// Pairs of classes that a set of vectors must tell apart: the constraints
// of the pair-covering model, found as a search needs them.
#pragma once

#include <cstdint>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/diagnostic/fault_classes.h"
#include "select/faults/fault_marks.h"

struct ClassPair {
    uint32_t first;   // the lower class
    uint32_t second;
    bool operator==(const ClassPair&) const = default;
    bool operator<(const ClassPair& other) const {
        return first != other.first ? first < other.first : second < other.second;
    }
};

// Groups of up to this many classes give all their pairs, larger ones a
// chain of neighbours: enough to refute the set, without the square.
constexpr uint32_t AllPairsGroup = 16;

// The pairs of the classes of `classes` that the vectors leave together
// (`representatives`: representativeMarks of the classes).
std::vector<ClassPair> pairsLeftTogether(const PatternSet& patterns, const FaultClasses& classes,
                                         const FaultMarks& representatives,
                                         const std::vector<uint32_t>& vectors);

// The pairs of classes that exactly one of the vectors tells apart, found
// by signature hashes (a collision adds a pair that is not one, which costs
// the model nothing but room).
std::vector<ClassPair> pairsSplitOnce(const PatternSet& patterns, const FaultClasses& classes,
                                      const FaultMarks& representatives,
                                      const std::vector<uint32_t>& vectors);

// Sorted, each pair once.
void mergePairs(std::vector<ClassPair>& pairs, const std::vector<ClassPair>& more);
