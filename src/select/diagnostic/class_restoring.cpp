#include "select/diagnostic/class_restoring.h"

#include <algorithm>

#include "select/diagnostic/class_top_up.h"
#include "select/diagnostic/fault_classes.h"
#include "select/diagnostic/redundant_picks.h"
#include "select/diagnostic/row_faults.h"


RestoredClasses restoreEveryClass(const FaultTable& table, const std::vector<uint32_t>& start,
                                  const std::vector<uint32_t>& keep) {
    size_t flags = table.rows.size();
    for (uint32_t v : start) {
        flags = std::max<size_t>(flags, size_t{v} + 1);
    }
    std::vector<uint8_t> chosen(flags, 0);
    for (uint32_t v : start) {
        chosen[v] = 1;
    }
    FaultClasses classes = classesUnder(table, start, keptFaultPlane(table, keep));
    std::vector<uint32_t> picks = topUpClasses(table, classes, chosen);
    std::vector<uint32_t> order = start;
    order.insert(order.end(), picks.begin(), picks.end());
    dropRedundantPicks(table, classes, chosen, order, keep);

    RestoredClasses restored;
    restored.classes = classCount(classes);
    for (uint32_t v = 0; v < chosen.size(); ++v) {
        if (chosen[v]) {
            restored.vectors.push_back(v);
        }
    }
    for (uint32_t v : picks) {
        if (chosen[v]) {
            restored.topUpPicks.push_back(v);
        }
    }
    return restored;
}

std::vector<uint32_t> keptDetections(const FaultTable& table, const std::vector<uint32_t>& vectors,
                                     uint32_t detections) {
    std::vector<uint32_t> keep(faultSlots(table), 0);
    for (uint32_t v : vectors) {
        forRowFaults(tableRow(table, v), table, [&](uint32_t fault) {
            keep[fault] += keep[fault] < detections ? 1 : 0;
        });
    }
    return keep;
}

std::vector<uint64_t> keptFaultPlane(const FaultTable& table, const std::vector<uint32_t>& keep) {
    std::vector<uint64_t> plane(2 * size_t{table.maxWords}, 0);
    for (uint32_t fault = 0; fault < keep.size(); ++fault) {
        if (keep[fault] > 0) {
            markFault(plane, fault);
        }
    }
    return plane;
}
