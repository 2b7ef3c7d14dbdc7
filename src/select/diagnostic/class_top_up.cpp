#include "select/diagnostic/class_top_up.h"

#include <functional>
#include <queue>
#include <utility>


namespace {

struct PairGain {
    uint64_t pairs;
    uint32_t vector;
    // More pairs first, then lower indices.
    bool operator<(const PairGain& other) const {
        return pairs != other.pairs ? pairs < other.pairs : vector > other.vector;
    }
};

}  // namespace

std::vector<uint32_t> topUpClasses(const FaultTable& table, FaultClasses& classes, std::vector<uint8_t>& chosen) {
    std::vector<uint32_t> picks;
    // A vector splits no more pairs once others are chosen (a split pair
    // stays split), so a gain as last computed bounds the gain now: the
    // vector whose fresh gain still heads the queue is the best one.
    std::vector<PairGain> start;
    for (uint32_t v = 0; v < table.rows.size(); ++v) {
        if (!chosen[v]) {
            uint64_t pairs = pairsSplitBy(classes, table.rows[v], table);
            if (pairs > 0) {
                start.push_back(PairGain{pairs, v});
            }
        }
    }
    std::priority_queue<PairGain> queue(std::less<PairGain>(), std::move(start));
    while (!queue.empty()) {
        PairGain top = queue.top();
        queue.pop();
        PairGain fresh{pairsSplitBy(classes, table.rows[top.vector], table), top.vector};
        if (fresh.pairs == 0) {
            continue;
        }
        if (!queue.empty() && fresh < queue.top()) {
            queue.push(fresh);
            continue;
        }
        refineByRow(classes, table.rows[fresh.vector], table);
        chosen[fresh.vector] = 1;
        picks.push_back(fresh.vector);
    }
    return picks;
}
