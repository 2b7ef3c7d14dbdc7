#include "select/diagnostic/class_signatures.h"

#include "select/diagnostic/row_faults.h"

std::vector<uint64_t> representativePlane(const FaultClasses& classes) {
    std::vector<uint64_t> plane(classes.shared.size(), 0);
    for (uint32_t c = 0; c < classCount(classes); ++c) {
        markFault(plane, representativeOf(classes, c));
    }
    return plane;
}

std::vector<uint32_t> classDetections(const FaultTable& table, const FaultClasses& classes,
                                      const std::vector<uint64_t>& representatives,
                                      const std::vector<uint32_t>& vectors) {
    std::vector<uint32_t> count(classCount(classes), 0);
    for (uint32_t v : vectors) {
        forMaskedRowFaults(tableRow(table, v), table, representatives,
                           [&](uint32_t fault) { ++count[classes.classOf[fault]]; });
    }
    return count;
}

ClassSignatures signaturesOfClasses(const FaultTable& table, const FaultClasses& classes,
                                    const std::vector<uint64_t>& wanted) {
    // Count, then place: each class's list fills in ascending vector order.
    ClassSignatures signatures;
    signatures.start.assign(size_t{classCount(classes)} + 1, 0);
    for (const FaultTableRow& row : table.rows) {
        forMaskedRowFaults(row, table, wanted, [&](uint32_t fault) { ++signatures.start[classes.classOf[fault] + 1]; });
    }
    for (size_t c = 1; c < signatures.start.size(); ++c) {
        signatures.start[c] += signatures.start[c - 1];
    }
    signatures.vectors.resize(signatures.start.back());
    std::vector<uint64_t> next(signatures.start.begin(), signatures.start.end() - 1);
    for (uint32_t v = 0; v < table.rows.size(); ++v) {
        forMaskedRowFaults(table.rows[v], table, wanted,
                           [&](uint32_t fault) { signatures.vectors[next[classes.classOf[fault]]++] = v; });
    }
    return signatures;
}
