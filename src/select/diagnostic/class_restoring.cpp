#include "select/diagnostic/class_restoring.h"

#include <algorithm>

#include "select/diagnostic/class_top_up.h"
#include "select/diagnostic/fault_classes.h"
#include "select/diagnostic/kept_demands.h"
#include "select/diagnostic/redundant_picks.h"

RestoredClasses restoreEveryClass(const PatternSet& patterns, const std::vector<uint32_t>& start,
                                  const std::vector<uint32_t>& keep, uint32_t sizeLimit) {
    size_t flags = patterns.faultTable.rows.size();
    for (uint32_t v : start) {
        flags = std::max<size_t>(flags, size_t{v} + 1);
    }
    std::vector<uint8_t> chosen(flags, 0);
    for (uint32_t v : start) {
        chosen[v] = 1;
    }
    FaultClasses classes = classesUnder(patterns, start, keptFaults(patterns, keep));
    std::vector<uint32_t> order = start;  // the chosen vectors: the start's, then the picks
    std::vector<uint32_t> picks;
    while (true) {
        uint32_t room = sizeLimit - std::min(sizeLimit, static_cast<uint32_t>(order.size()));
        std::vector<uint32_t> added = topUpClasses(patterns, classes, chosen, room);
        order.insert(order.end(), added.begin(), added.end());
        picks.insert(picks.end(), added.begin(), added.end());
        uint32_t dropped = dropRedundantPicks(patterns, classes, chosen, order, keep);
        std::erase_if(order, [&](uint32_t v) { return chosen[v] == 0; });
        // Every class is back once the top-up stops within its room.
        if (added.size() < room || dropped == 0) {
            break;
        }
    }
    RestoredClasses restored;
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
