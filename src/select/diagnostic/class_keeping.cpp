#include "select/diagnostic/class_keeping.h"

#include <algorithm>

#include "select/diagnostic/class_top_up.h"
#include "select/diagnostic/fault_classes.h"
#include "select/diagnostic/redundant_picks.h"
#include "select/diagnostic/row_faults.h"

namespace {

// Per fault: min(detections, the vectors of `chosen` that detect it).
std::vector<uint32_t> keptDetections(const FaultTable& table, const std::vector<uint32_t>& chosen,
                                     uint32_t detections) {
    std::vector<uint32_t> keep(faultSlots(table), 0);
    for (uint32_t v : chosen) {
        forRowFaults(tableRow(table, v), table, [&](uint32_t fault) {
            keep[fault] += keep[fault] < detections ? 1 : 0;
        });
    }
    return keep;
}

}  // namespace

ClassKeeping keepEveryClass(const FaultTable& table, const std::vector<uint32_t>& chosen, uint32_t detections) {
    ClassKeeping result;
    size_t flags = table.rows.size();
    for (uint32_t v : chosen) {
        flags = std::max<size_t>(flags, size_t{v} + 1);
    }
    std::vector<uint8_t> isChosen(flags, 0);
    for (uint32_t v : chosen) {
        isChosen[v] = 1;
    }
    FaultClasses classes = classesUnder(table, chosen);
    std::vector<uint32_t> picks = topUpClasses(table, classes, isChosen);
    // Every class is back, and dropping keeps them all.
    result.inputClasses = classCount(classes);
    result.keptClasses = classCount(classes);

    std::vector<uint32_t> order = chosen;
    order.insert(order.end(), picks.begin(), picks.end());
    dropRedundantPicks(table, classes, isChosen, order, keptDetections(table, chosen, detections));

    for (uint32_t v = 0; v < isChosen.size(); ++v) {
        if (isChosen[v]) {
            result.vectors.push_back(v);
        }
    }
    for (uint32_t v : picks) {
        if (isChosen[v]) {
            result.topUpPicks.push_back(v);
        }
    }
    return result;
}
