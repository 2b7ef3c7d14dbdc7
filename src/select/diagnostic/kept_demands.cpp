#include "select/diagnostic/kept_demands.h"

#include "select/faults/fault_rows.h"

std::vector<uint32_t> keptDemands(const PatternSet& patterns, const std::vector<uint32_t>& vectors,
                                  const FaultDemands* demands) {
    std::vector<uint32_t> keep(faultNumberLimit(patterns), 0);
    if (demands == nullptr) {
        // One detection each: the faults the vectors cover, a row's words at a time.
        FaultMarks covered = noFaultMarks(patterns);
        for (uint32_t v : vectors) {
            markRowFaults(covered, selectionRow(patterns, v));
        }
        forEachFaultOf(covered, [&](uint64_t fault) { keep[fault] = 1; });
        return keep;
    }
    for (uint32_t v : vectors) {
        forEachFault(selectionRow(patterns, v), [&](uint64_t fault) {
            uint32_t demand = demandAt(*demands, planeOfFault(fault), nodeOfFault(fault));
            keep[fault] += keep[fault] < demand ? 1 : 0;
        });
    }
    return keep;
}

FaultMarks keptFaults(const PatternSet& patterns, const std::vector<uint32_t>& keep) {
    FaultMarks marks = noFaultMarks(patterns);
    for (uint32_t fault = 0; fault < keep.size(); ++fault) {
        if (keep[fault] > 0) {
            markFault(marks, fault);
        }
    }
    return marks;
}
