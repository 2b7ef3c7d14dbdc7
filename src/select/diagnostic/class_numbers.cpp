#include "select/diagnostic/class_numbers.h"

#include <algorithm>

#include "select/faults/fault_rows.h"

ClassCounts countClasses(const PatternSet& patterns, const std::vector<uint32_t>& chosen) {
    // The input's classes refine the chosen set's: the rows of the chosen
    // vectors first, then the others, which then find most classes single.
    FaultClasses classes = classesUnder(patterns, chosen, detectedFaults(patterns));
    ClassCounts counts{classCount(classes), 0};
    std::vector<uint8_t> applied(patterns.faultTable.rows.size(), 0);
    for (uint32_t v : chosen) {
        if (v < applied.size()) {
            applied[v] = 1;
        }
    }
    for (uint32_t v = 0; v < applied.size(); ++v) {
        if (!applied[v]) {
            refineByRow(classes, patterns.faultTable.rows[v]);
        }
    }
    counts.input = classCount(classes);
    return counts;
}

FaultClassNumbers numberFaultClasses(const PatternSet& patterns, const std::vector<uint32_t>& vectors,
                                     uint32_t nodeCount) {
    FaultClasses classes = classesUnder(patterns, vectors, detectedFaults(patterns));
    size_t faults = 2 * size_t{nodeCount};
    FaultClassNumbers numbers{std::vector<uint32_t>(faults, NoClass), std::vector<uint32_t>(faults, 0)};
    std::vector<uint32_t> renumbered(classCount(classes), NoClass);
    uint32_t next = 0;
    for (size_t fault = 0; fault < std::min(faults, classes.classOf.size()); ++fault) {
        uint32_t c = classes.classOf[fault];
        if (c == NoClass) {
            continue;
        }
        if (renumbered[c] == NoClass) {
            renumbered[c] = next++;
        }
        numbers.number[fault] = renumbered[c];
        numbers.size[fault] = classes.classSize[c];
    }
    return numbers;
}

std::vector<uint32_t> classesAfterEach(const PatternSet& patterns, const std::vector<uint32_t>& order) {
    FaultClasses classes = oneClassOf(patterns, detectedFaults(patterns));
    std::vector<uint32_t> after;
    for (uint32_t v : order) {
        refineByRow(classes, selectionRow(patterns, v));
        after.push_back(classCount(classes));
    }
    return after;
}
