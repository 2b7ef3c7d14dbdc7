#include "select/diagnostic/class_signatures.h"

FaultMarks representativeMarks(const PatternSet& patterns, const FaultClasses& classes) {
    FaultMarks marks = noFaultMarks(patterns);
    for (uint32_t c = 0; c < classCount(classes); ++c) {
        markFault(marks, representativeOf(classes, c));
    }
    return marks;
}

std::vector<uint32_t> classDetections(const PatternSet& patterns, const FaultClasses& classes,
                                      const FaultMarks& representatives, const std::vector<uint32_t>& vectors) {
    std::vector<uint32_t> count(classCount(classes), 0);
    for (uint32_t v : vectors) {
        forEachMarkedFault(selectionRow(patterns, v), representatives,
                           [&](uint64_t fault) { ++count[classes.classOf[fault]]; });
    }
    return count;
}

ClassSignatures signaturesOfClasses(const PatternSet& patterns, const FaultClasses& classes, const FaultMarks& wanted) {
    // Count, then place: each class's list fills in ascending vector order.
    const std::vector<FaultTableRow>& rows = patterns.faultTable.rows;
    ClassSignatures signatures;
    signatures.start.assign(size_t{classCount(classes)} + 1, 0);
    for (const FaultTableRow& row : rows) {
        forEachMarkedFault(row, wanted, [&](uint64_t fault) { ++signatures.start[classes.classOf[fault] + 1]; });
    }
    for (size_t c = 1; c < signatures.start.size(); ++c) {
        signatures.start[c] += signatures.start[c - 1];
    }
    signatures.vectors.resize(signatures.start.back());
    std::vector<uint64_t> next(signatures.start.begin(), signatures.start.end() - 1);
    for (uint32_t v = 0; v < rows.size(); ++v) {
        forEachMarkedFault(rows[v], wanted,
                           [&](uint64_t fault) { signatures.vectors[next[classes.classOf[fault]]++] = v; });
    }
    return signatures;
}
