#include "select/diagnostic/class_numbers.h"

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

FaultClassNumbers numberFaultClasses(const PatternSet& patterns, const std::vector<uint32_t>& vectors) {
    FaultClasses classes = classesUnder(patterns, vectors, detectedFaults(patterns));
    FaultClassNumbers numbers{std::vector<uint32_t>(classes.classOf.size(), NoClass), {}};
    std::vector<uint32_t> renumbered(classCount(classes), NoClass);
    for (size_t fault = 0; fault < classes.classOf.size(); ++fault) {
        uint32_t c = classes.classOf[fault];
        if (c == NoClass) {
            continue;
        }
        if (renumbered[c] == NoClass) {
            renumbered[c] = static_cast<uint32_t>(numbers.size.size());
            numbers.size.push_back(classes.classSize[c]);
        }
        numbers.number[fault] = renumbered[c];
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
