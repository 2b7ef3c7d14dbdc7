#include "select/faults/detectable_faults.h"

#include "select/faults/fault_rows.h"

namespace {

// Bit f: the symbol marks fault f detectable.
uint32_t markedFaults(char symbol) {
    return symbol == '&' ? 3 : symbol == '0' ? 1 : symbol == '1' ? 2 : 0;
}

}  // namespace

DetectableFaults decodeSummary(const FaultSummary& summary) {
    DetectableFaults detectable;
    size_t words = (summary.symbols.size() + 63) / 64;
    detectable.plane[0].assign(words, 0);
    detectable.plane[1].assign(words, 0);
    for (size_t node = 0; node < summary.symbols.size(); ++node) {
        uint32_t marked = markedFaults(summary.symbols[node]);
        for (uint32_t plane = 0; plane < 2; ++plane) {
            if ((marked >> plane) & 1) {
                detectable.plane[plane][node / 64] |= uint64_t{1} << (node % 64);
                ++detectable.count;
            }
        }
    }
    return detectable;
}

bool isDetectable(const DetectableFaults& detectable, uint64_t fault) {
    uint64_t node = nodeOfFault(fault);
    return ((detectableWord(detectable, planeOfFault(fault), node / 64) >> (node % 64)) & 1) != 0;
}

uint32_t countDetectable(const FaultSummary& summary) {
    uint32_t total = 0;
    for (char symbol : summary.symbols) {
        uint32_t marked = markedFaults(symbol);
        total += (marked & 1) + (marked >> 1);
    }
    return total;
}
