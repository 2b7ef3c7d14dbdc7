#include "output/report_tallies.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <queue>

#include "base/bit_count.h"
#include "select/selection_phases.h"

namespace {

// Calls visit(fault) for every fault the row detects, below 2 * nodeCount.
template <class Visit>
void forEachDetection(const FaultTableRow& row, uint32_t nodeCount, Visit&& visit) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = row.bits + size_t{plane} * row.words;
        for (uint32_t word = 0; word < row.words; ++word) {
            for (uint64_t rest = bits[word]; rest != 0; rest &= rest - 1) {
                uint64_t node = uint64_t{word} * 64 + static_cast<uint64_t>(std::countr_zero(rest));
                if (node < nodeCount) {
                    visit(static_cast<size_t>(2 * node + plane));
                }
            }
        }
    }
}

// The detectable faults the row detects and `covered` lacks; marks them.
uint32_t coverDetectable(const FaultTableRow& row, const FaultTallies& tallies, std::vector<uint8_t>& covered) {
    uint32_t gained = 0;
    forEachDetection(row, static_cast<uint32_t>(tallies.detectable.size() / 2), [&](size_t fault) {
        if (tallies.detectable[fault] != 0 && covered[fault] == 0) {
            covered[fault] = 1;
            ++gained;
        }
    });
    return gained;
}

uint32_t gainOver(const FaultTableRow& row, const FaultTallies& tallies, const std::vector<uint8_t>& covered) {
    uint32_t gain = 0;
    forEachDetection(row, static_cast<uint32_t>(tallies.detectable.size() / 2), [&](size_t fault) {
        gain += tallies.detectable[fault] != 0 && covered[fault] == 0 ? 1 : 0;
    });
    return gain;
}

}  // namespace

FaultTallies tallyFaults(const PatternSet& patterns, uint32_t nodeCount, const std::vector<uint32_t>& chosen) {
    size_t faults = 2 * size_t{nodeCount};
    FaultTallies tallies;
    tallies.inputDetections.assign(faults, 0);
    tallies.chosenDetections.assign(faults, 0);
    tallies.firstChosen.assign(faults, NoVector);
    tallies.detectable.assign(faults, 0);
    const std::string& summary = patterns.faultSummary.symbols;
    for (size_t node = 0; node < nodeCount && node < summary.size(); ++node) {
        char symbol = summary[node];
        tallies.detectable[2 * node] = symbol == '&' || symbol == '0';
        tallies.detectable[2 * node + 1] = symbol == '&' || symbol == '1';
    }
    for (uint8_t flag : tallies.detectable) {
        tallies.detectableCount += flag;
    }
    for (const FaultTableRow& row : patterns.faultTable.rows) {
        forEachDetection(row, nodeCount, [&](size_t fault) { ++tallies.inputDetections[fault]; });
    }
    // `chosen` is in file order, so the first to reach a fault is the lowest.
    for (uint32_t vector : chosen) {
        forEachDetection(selectionRow(patterns, vector), nodeCount, [&](size_t fault) {
            if (tallies.chosenDetections[fault]++ == 0) {
                tallies.firstChosen[fault] = vector;
            }
        });
    }
    return tallies;
}

ApplyOrder greedyApplyOrder(const PatternSet& patterns, const FaultTallies& tallies,
                            const std::vector<uint32_t>& chosen) {
    std::vector<uint8_t> covered(tallies.detectable.size(), 0);
    // Gains only fall as faults get covered, so a stale gain bounds the true
    // one: a candidate whose fresh gain still heads the queue is the best.
    struct Entry {
        uint32_t gain;
        uint32_t vector;
        bool operator<(const Entry& other) const {
            return gain != other.gain ? gain < other.gain : vector > other.vector;
        }
    };
    std::priority_queue<Entry> queue;
    for (uint32_t vector : chosen) {
        queue.push({gainOver(selectionRow(patterns, vector), tallies, covered), vector});
    }
    ApplyOrder order;
    uint32_t coveredCount = 0;
    while (!queue.empty()) {
        Entry top = queue.top();
        queue.pop();
        Entry fresh{gainOver(selectionRow(patterns, top.vector), tallies, covered), top.vector};
        if (!queue.empty() && fresh < queue.top()) {
            queue.push(fresh);
            continue;
        }
        coveredCount += coverDetectable(selectionRow(patterns, top.vector), tallies, covered);
        order.vectors.push_back(top.vector);
        order.coveredAfter.push_back(coveredCount);
    }
    return order;
}

std::vector<uint32_t> coverageOrder(const PatternSet& patterns, uint32_t nodeCount,
                                    const std::vector<uint32_t>& chosen) {
    return greedyApplyOrder(patterns, tallyFaults(patterns, nodeCount, chosen), chosen).vectors;
}

std::vector<CoveragePoint> inputCoverageCurve(const PatternSet& patterns, const FaultTallies& tallies,
                                              size_t points) {
    const uint64_t vectors = patterns.vectorCount;
    const uint64_t rows = std::min<uint64_t>(vectors, patterns.faultTable.rows.size());
    const uint64_t dense = points / 2;
    // Past `dense` vectors, each point lies this factor beyond the one before.
    const double growth = vectors > dense ? std::pow(static_cast<double>(vectors) / static_cast<double>(dense),
                                                     1.0 / static_cast<double>(points - dense))
                                          : 1.0;
    std::vector<CoveragePoint> curve;
    std::vector<uint8_t> covered(tallies.detectable.size(), 0);
    uint32_t coveredCount = 0;
    double nextPoint = 1;
    for (uint64_t vector = 0; vector < rows; ++vector) {
        coveredCount += coverDetectable(patterns.faultTable.rows[vector], tallies, covered);
        uint64_t applied = vector + 1;
        if (static_cast<double>(applied) >= nextPoint || applied == vectors) {
            curve.push_back({applied, coveredCount});
            nextPoint = applied < dense ? static_cast<double>(applied + 1) : static_cast<double>(applied) * growth;
        }
    }
    // Vectors without a stored row add nothing: the curve runs flat to the end.
    if (vectors > 0 && (curve.empty() || curve.back().vectors != vectors)) {
        curve.push_back({vectors, coveredCount});
    }
    return curve;
}
