#include "output/report_tallies.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "select/faults/detectable_faults.h"
#include "select/faults/fault_rows.h"
#include "select/order/coverage_order.h"

namespace {

// Calls visit(fault) for every fault the row detects, below 2 * nodeCount.
template <class Visit>
void forEachDetection(const FaultTableRow& row, uint32_t nodeCount, Visit&& visit) {
    forEachFault(row, [&](uint64_t fault) {
        if (fault < 2 * uint64_t{nodeCount}) {
            visit(static_cast<size_t>(fault));
        }
    });
}

// The detectable faults the row detects and `covered` lacks; marks them.
uint32_t coverDetectable(const FaultTableRow& row, const FaultTallies& tallies, std::vector<uint8_t>& covered) {
    uint32_t gained = 0;
    forEachDetection(row, tallies.nodeCount, [&](size_t fault) {
        if (tallies.detectable[fault] != 0 && covered[fault] == 0) {
            covered[fault] = 1;
            ++gained;
        }
    });
    return gained;
}

}  // namespace

uint32_t reportedNodeCount(const PatternSet& patterns, const SsbddModel& model) {
    uint64_t reach = model.nodes.size();
    for (const FaultTableRow& row : patterns.faultTable.rows) {
        reach = std::max(reach, nodesReached(row));
    }
    const std::string& summary = patterns.faultSummary.symbols;
    size_t marked = summary.find_last_of("&01");
    if (marked != std::string::npos) {
        reach = std::max<uint64_t>(reach, marked + 1);
    }
    return static_cast<uint32_t>(std::min<uint64_t>(reach, model.nodeCount));
}

FaultTallies tallyFaults(const PatternSet& patterns, const SsbddModel& model, const std::vector<uint32_t>& chosen) {
    const uint32_t nodeCount = reportedNodeCount(patterns, model);
    size_t faults = 2 * size_t{nodeCount};
    FaultTallies tallies;
    tallies.nodeCount = nodeCount;
    tallies.inputDetections.assign(faults, 0);
    tallies.chosenDetections.assign(faults, 0);
    tallies.firstChosen.assign(faults, NoVector);
    tallies.detectable.assign(faults, 0);
    DetectableFaults detectable = decodeSummary(patterns.faultSummary);
    for (size_t fault = 0; fault < faults; ++fault) {
        tallies.detectable[fault] = isDetectable(detectable, fault) ? 1 : 0;
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

ApplyOrder greedyApplyOrder(const PatternSet& patterns, const std::vector<uint32_t>& chosen) {
    CoverageOrder order = coverageOrder(patterns, chosen);
    return ApplyOrder{std::move(order.vectors), std::move(order.coveredAfter)};
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
