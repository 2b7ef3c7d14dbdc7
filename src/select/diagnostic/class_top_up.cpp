#include "select/diagnostic/class_top_up.h"

#include "select/phases/gain_queue.h"

std::vector<uint32_t> topUpClasses(const PatternSet& patterns, FaultClasses& classes, std::vector<uint8_t>& chosen,
                                   uint32_t room) {
    // A vector splits no more pairs once others are chosen (a split pair
    // stays split), so the gains only fall, as the queue needs.
    const std::vector<FaultTableRow>& rows = patterns.faultTable.rows;
    auto gain = [&](uint32_t v) { return pairsSplitBy(classes, rows[v]); };
    std::vector<CandidateGainOf<uint64_t>> candidates;
    for (uint32_t v = 0; v < rows.size(); ++v) {
        if (!chosen[v]) {
            candidates.push_back({v, gain(v)});
        }
    }
    GainQueueOf<uint64_t> queue = makeGainQueue(candidates, rows.size());
    std::vector<uint32_t> picks;
    uint32_t pick = 0;
    while (picks.size() < room &&
           popBestCandidate(queue, makeGainSource(gain, 2 * size_t{patterns.faultTable.maxWords}), pick)) {
        refineByRow(classes, rows[pick]);
        chosen[pick] = 1;
        picks.push_back(pick);
    }
    return picks;
}
