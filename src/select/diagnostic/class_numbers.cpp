#include "select/diagnostic/class_numbers.h"

#include "select/diagnostic/row_faults.h"

FaultClassNumbers numberFaultClasses(const FaultTable& table, const std::vector<uint32_t>& vectors,
                                     uint32_t nodeCount) {
    FaultClasses classes = classesUnder(table, vectors, detectedFaultPlane(table));
    FaultClassNumbers numbers{std::vector<uint32_t>(2 * size_t{nodeCount}, NoClass),
                              std::vector<uint32_t>(2 * size_t{nodeCount}, 0)};
    std::vector<uint32_t> renumbered(classCount(classes), NoClass);
    uint32_t next = 0;
    size_t planeFaults = 64 * size_t{table.maxWords};
    for (uint32_t node = 0; node < nodeCount && node < planeFaults; ++node) {
        for (uint32_t value = 0; value < 2; ++value) {
            uint32_t c = classes.classOf[value * planeFaults + node];
            if (c == NoClass) {
                continue;
            }
            if (renumbered[c] == NoClass) {
                renumbered[c] = next++;
            }
            numbers.number[2 * size_t{node} + value] = renumbered[c];
            numbers.size[2 * size_t{node} + value] = classes.classSize[c];
        }
    }
    return numbers;
}

std::vector<uint32_t> classesAfterEach(const FaultTable& table, const std::vector<uint32_t>& order) {
    FaultClasses classes = oneClassOf(table, detectedFaultPlane(table));
    std::vector<uint32_t> after;
    for (uint32_t v : order) {
        refineByRow(classes, tableRow(table, v), table);
        after.push_back(classCount(classes));
    }
    return after;
}
