#include "select/diagnostic/shortfall_cover.h"

#include "select/diagnostic/lazy_greedy.h"
#include "select/diagnostic/row_faults.h"
#include "select/bit_kernels.h"

std::vector<uint32_t> coverShortfalls(const FaultTable& table, std::vector<uint8_t>& chosen,
                                      const std::vector<uint32_t>& keep) {
    std::vector<uint32_t> count(keep.size(), 0);
    for (uint32_t v = 0; v < table.rows.size(); ++v) {
        if (chosen[v]) {
            forRowFaults(table.rows[v], table, [&](uint32_t fault) { ++count[fault]; });
        }
    }
    // A plane of the faults that are not short, as the bit kernels count.
    std::vector<uint64_t> met(2 * size_t{table.maxWords}, ~uint64_t{0});
    bool anyShort = false;
    for (size_t fault = 0; fault < keep.size(); ++fault) {
        if (count[fault] < keep[fault]) {
            unmarkFault(met, static_cast<uint32_t>(fault));
            anyShort = true;
        }
    }
    std::vector<uint32_t> picks;
    if (!anyShort) {
        return picks;
    }
    std::vector<uint32_t> candidates;
    for (uint32_t v = 0; v < table.rows.size(); ++v) {
        if (!chosen[v]) {
            candidates.push_back(v);
        }
    }
    auto gain = [&](uint32_t v) {
        const FaultTableRow& row = table.rows[v];
        return uint64_t{countNewBits(row.bits, met.data(), row.words)} +
               countNewBits(row.bits + row.words, met.data() + table.maxWords, row.words);
    };
    LazyGainQueue queue = gainQueue(candidates, gain);
    for (LazyGain best = takeBestGain(queue, gain); best.gain > 0; best = takeBestGain(queue, gain)) {
        chosen[best.vector] = 1;
        picks.push_back(best.vector);
        forRowFaults(table.rows[best.vector], table, [&](uint32_t fault) {
            if (++count[fault] >= keep[fault]) {
                markFault(met, fault);
            }
        });
    }
    return picks;
}
