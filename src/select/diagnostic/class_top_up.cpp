#include "select/diagnostic/class_top_up.h"

#include "select/diagnostic/lazy_greedy.h"

std::vector<uint32_t> topUpClasses(const FaultTable& table, FaultClasses& classes, std::vector<uint8_t>& chosen) {
    // A vector splits no more pairs once others are chosen (a split pair
    // stays split), so the lazy greedy applies.
    std::vector<uint32_t> candidates;
    for (uint32_t v = 0; v < table.rows.size(); ++v) {
        if (!chosen[v]) {
            candidates.push_back(v);
        }
    }
    auto gain = [&](uint32_t v) { return pairsSplitBy(classes, table.rows[v], table); };
    LazyGainQueue queue = gainQueue(candidates, gain);
    std::vector<uint32_t> picks;
    for (LazyGain best = takeBestGain(queue, gain); best.gain > 0; best = takeBestGain(queue, gain)) {
        refineByRow(classes, table.rows[best.vector], table);
        chosen[best.vector] = 1;
        picks.push_back(best.vector);
    }
    return picks;
}
