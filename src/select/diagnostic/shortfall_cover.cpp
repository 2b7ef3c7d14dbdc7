#include "select/diagnostic/shortfall_cover.h"

#include "select/faults/fault_marks.h"
#include "select/kernels/bit_kernels.h"
#include "select/phases/gain_queue.h"

std::vector<uint32_t> coverShortfalls(const PatternSet& patterns, std::vector<uint8_t>& chosen,
                                      const std::vector<uint32_t>& keep) {
    const std::vector<FaultTableRow>& rows = patterns.faultTable.rows;
    std::vector<uint32_t> count(keep.size(), 0);
    for (uint32_t v = 0; v < rows.size(); ++v) {
        if (chosen[v]) {
            forEachFault(rows[v], [&](uint64_t fault) { ++count[fault]; });
        }
    }
    // The faults that are not short, as the bit kernels count.
    FaultMarks met = noFaultMarks(patterns);
    for (std::vector<uint64_t>& plane : met.plane) {
        plane.assign(plane.size(), ~uint64_t{0});
    }
    bool anyShort = false;
    for (uint32_t fault = 0; fault < keep.size(); ++fault) {
        if (count[fault] < keep[fault]) {
            unmarkFault(met, fault);
            anyShort = true;
        }
    }
    std::vector<uint32_t> picks;
    if (!anyShort) {
        return picks;
    }
    auto gain = [&](uint32_t v) {
        const FaultTableRow& row = rows[v];
        return countNewBits(faultPlane(row, 0), met.plane[0].data(), row.words) +
               countNewBits(faultPlane(row, 1), met.plane[1].data(), row.words);
    };
    std::vector<CandidateGain> candidates;
    for (uint32_t v = 0; v < rows.size(); ++v) {
        if (!chosen[v]) {
            candidates.push_back({v, gain(v)});
        }
    }
    GainQueue queue = makeGainQueue(candidates, rows.size());
    uint32_t pick = 0;
    while (popBestCandidate(queue, makeGainSource(gain, 2 * size_t{patterns.faultTable.maxWords}), pick)) {
        chosen[pick] = 1;
        picks.push_back(pick);
        forEachFault(rows[pick], [&](uint64_t fault) {
            if (++count[fault] >= keep[fault]) {
                markFault(met, fault);
            }
        });
    }
    return picks;
}
