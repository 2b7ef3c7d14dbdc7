#include "select/demands/budget_bound.h"

#include <algorithm>
#include <cmath>

#include "select/faults/fault_rows.h"

namespace {

// Subgradient steps of the bound.
constexpr uint32_t BoundIterations = 300;

// Over the faults: the sum of min(count, demand).
uint64_t demandMetBy(const SelectionState& chosen, const FaultDemands& demands) {
    uint64_t met = 0;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const DetectionCounts& counts = plane == 0 ? chosen.count0 : chosen.count1;
        for (size_t node = 0; node < demands.words * 64; ++node) {
            met += std::min(countAt(counts, node), demandAt(demands, plane, node));
        }
    }
    return met;
}

// The best value of the relaxation over `iterations` subgradient steps.
uint64_t lagrangianBound(const PatternSet& patterns, const FaultDemands& demands, uint32_t budget,
                         uint32_t iterations) {
    const size_t words = demands.words;
    const uint32_t rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    // Multipliers per fault, fault f of node n at 2n + f; faults without a
    // demand keep 0.
    std::vector<double> demandOf(2 * words * 64, 0.0);
    for (uint32_t plane = 0; plane < 2; ++plane) {
        for (size_t node = 0; node < words * 64; ++node) {
            demandOf[faultNumber(node, plane)] = demandAt(demands, plane, node);
        }
    }
    std::vector<double> multiplier(demandOf.size(), 0.0);
    for (size_t fault = 0; fault < multiplier.size(); ++fault) {
        multiplier[fault] = demandOf[fault] > 0 ? 1.0 : 0.0;
    }
    double best = static_cast<double>(demands.total);
    std::vector<std::pair<double, uint32_t>> values(rows);
    std::vector<double> hits(multiplier.size());
    double step = 1.0;
    for (uint32_t iteration = 0; iteration < iterations; ++iteration) {
        // L = sum of demand * (1 - multiplier) + the budget's best vectors by multiplier weight.
        long double bound = 0;
        for (size_t fault = 0; fault < multiplier.size(); ++fault) {
            bound += demandOf[fault] * (1.0 - multiplier[fault]);
        }
        for (uint32_t vector = 0; vector < rows; ++vector) {
            double value = 0;
            forEachFault(patterns.faultTable.rows[vector], [&](uint64_t fault) { value += multiplier[fault]; });
            values[vector] = {-value, vector};
        }
        uint32_t taken = std::min(budget, rows);
        std::partial_sort(values.begin(), values.begin() + taken, values.end());
        for (uint32_t k = 0; k < taken; ++k) {
            bound += -values[k].first;
        }
        best = std::min(best, static_cast<double>(bound));
        // Subgradient: the demand against the detections of the vectors taken.
        std::fill(hits.begin(), hits.end(), 0.0);
        for (uint32_t k = 0; k < taken; ++k) {
            forEachFault(patterns.faultTable.rows[values[k].second], [&](uint64_t fault) { hits[fault] += 1.0; });
        }
        double norm = 0;
        for (size_t fault = 0; fault < multiplier.size(); ++fault) {
            double slope = hits[fault] - demandOf[fault];
            norm += slope * slope;
        }
        if (norm == 0) {
            break;
        }
        double move = step * std::max(1.0, static_cast<double>(bound) * 0.01) / std::sqrt(norm);
        for (size_t fault = 0; fault < multiplier.size(); ++fault) {
            if (demandOf[fault] > 0) {
                multiplier[fault] = std::clamp(multiplier[fault] - move * (hits[fault] - demandOf[fault]), 0.0, 1.0);
            }
        }
        step *= 0.97;
    }
    return static_cast<uint64_t>(std::floor(best + 1e-7 * (1.0 + best)));
}

}  // namespace

uint64_t budgetUpperBound(const SelectionState& chosen, const PatternSet& patterns, const FaultDemands& demands,
                          uint32_t budget) {
    // The relaxation's value can only fall below what a set meets by rounding.
    return std::max(lagrangianBound(patterns, demands, budget, BoundIterations), demandMetBy(chosen, demands));
}
