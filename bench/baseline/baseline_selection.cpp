// The straightforward selection over one byte per fault-table entry: every
// loop a full scan, every greedy iteration recomputes every gain.
#include "baseline_selection.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

struct BaselineRun {
    BaselineSelection& selection;
    const SelectionOptions& options;
    uint32_t nodeCount;
    const std::vector<std::string>& faultTable;
};

char symbolAt(const BaselineRun& run, uint32_t vector, uint32_t node) {
    const std::string& row = run.faultTable[vector];
    return node < row.size() ? row[node] : 'X';
}

bool limitPassed(const BaselineRun& run) {
    return run.options.faultCoverActive && run.selection.coveredCount > run.selection.coverLimit;
}

uint32_t countDetectableFaults(const std::string& summary, uint32_t nodeCount) {
    uint32_t total = 0;
    for (uint32_t node = 0; node < nodeCount && node < summary.size(); ++node) {
        if (summary[node] == '&') {
            total += 2;
        } else if (summary[node] == '0' || summary[node] == '1') {
            total += 1;
        }
    }
    return total;
}

uint32_t coverLimitOf(uint32_t percent, uint32_t total) {
    double limit = static_cast<double>(percent) * static_cast<double>(total) * 0.01;
    if (limit >= static_cast<double>(std::numeric_limits<uint32_t>::max())) {
        return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(limit);
}

void applyVector(BaselineRun& run, uint32_t vector) {
    BaselineSelection& s = run.selection;
    for (uint32_t node = 0; node < run.nodeCount; ++node) {
        char symbol = symbolAt(run, vector, node);
        if (symbol == '0') {
            if (s.covered0[node] == 0) {
                s.covered0[node] = 1;
                ++s.coveredCount;
            }
            ++s.count0[node];
        } else if (symbol == '1') {
            if (s.covered1[node] == 0) {
                s.covered1[node] = 1;
                ++s.coveredCount;
            }
            ++s.count1[node];
        }
    }
}

uint32_t gainOf(const BaselineRun& run, uint32_t vector) {
    uint32_t gain = 0;
    for (uint32_t node = 0; node < run.nodeCount; ++node) {
        char symbol = symbolAt(run, vector, node);
        if ((symbol == '0' && run.selection.covered0[node] == 0) ||
            (symbol == '1' && run.selection.covered1[node] == 0)) {
            ++gain;
        }
    }
    return gain;
}

uint32_t detectionWidth(const BaselineRun& run, uint32_t vector) {
    uint32_t width = 0;
    for (uint32_t node = 0; node < run.nodeCount; ++node) {
        if (symbolAt(run, vector, node) != 'X') {
            ++width;
        }
    }
    return width;
}

void seedWithEssentialVectors(BaselineRun& run) {
    BaselineSelection& s = run.selection;
    auto vectors = static_cast<uint32_t>(run.faultTable.size());
    std::vector<uint32_t> vectorsDetecting0(run.nodeCount, 0);
    std::vector<uint32_t> vectorsDetecting1(run.nodeCount, 0);
    for (uint32_t vector = 0; vector < vectors; ++vector) {
        for (uint32_t node = 0; node < run.nodeCount; ++node) {
            char symbol = symbolAt(run, vector, node);
            if (symbol == '0') {
                ++vectorsDetecting0[node];
            } else if (symbol == '1') {
                ++vectorsDetecting1[node];
            }
        }
    }

    struct Entry {
        uint32_t node;
        char symbol;
    };
    std::vector<Entry> essential;
    for (uint32_t node = 0; node < run.nodeCount; ++node) {
        if (vectorsDetecting0[node] == 1) {
            essential.push_back({node, '0'});
        } else if (vectorsDetecting1[node] == 1) {
            essential.push_back({node, '1'});
        }
    }

    uint32_t essentialCount = 0;
    for (const Entry& entry : essential) {
        for (uint32_t vector = 0; vector < vectors; ++vector) {
            if (s.state[vector] == 1 && symbolAt(run, vector, entry.node) == entry.symbol) {
                s.state[vector] = 0;
                ++essentialCount;
                applyVector(run, vector);
                break;
            }
        }
        if (limitPassed(run)) {
            break;
        }
    }

    for (uint32_t vector = 0; vector < vectors; ++vector) {
        if (s.state[vector] == 1 && gainOf(run, vector) == 0) {
            s.state[vector] = -1;
            ++s.discardedCount;
        }
    }
    s.chosenCount = essentialCount;
}

void seedWithWidestVector(BaselineRun& run) {
    BaselineSelection& s = run.selection;
    uint32_t widest = 0;
    uint32_t widestWidth = 0;
    for (uint32_t vector = 0; vector < run.faultTable.size(); ++vector) {
        uint32_t width = detectionWidth(run, vector);
        if (width > widestWidth) {
            widest = vector;
            widestWidth = width;
        }
    }
    s.state[widest] = 0;
    applyVector(run, widest);
    s.chosenCount = 1;
    s.discardedCount = 0;
}

void completeGreedily(BaselineRun& run) {
    BaselineSelection& s = run.selection;
    auto vectors = static_cast<uint32_t>(run.faultTable.size());
    s.cycleCount = 0;
    for (;;) {
        if (s.coveredCount >= s.detectableTotal) {
            return;
        }
        uint32_t bestGain = 0;
        uint32_t pick = 0;
        for (uint32_t vector = 0; vector < vectors; ++vector) {
            if (s.state[vector] != 1) {
                continue;
            }
            uint32_t gain = gainOf(run, vector);
            if (gain > bestGain) {
                bestGain = gain;
                pick = vector;
            }
        }
        if (bestGain == 0) {
            return;
        }
        s.state[pick] = 0;
        s.greedyPicks.push_back(pick);
        applyVector(run, pick);
        ++s.chosenCount;
        if (limitPassed(run)) {
            return;
        }
        ++s.cycleCount;
        if (s.cycleCount == vectors) {
            return;
        }
    }
}

void eliminateRedundant(BaselineRun& run) {
    BaselineSelection& s = run.selection;
    for (uint32_t vector : s.greedyPicks) {
        std::vector<int32_t> before0 = s.count0;
        std::vector<int32_t> before1 = s.count1;
        bool needed = false;
        for (uint32_t node = 0; node < run.nodeCount && !needed; ++node) {
            char symbol = symbolAt(run, vector, node);
            if (symbol == '0') {
                needed = --s.count0[node] == 0;
            } else if (symbol == '1') {
                needed = --s.count1[node] == 0;
            }
        }
        if (needed) {
            s.count0 = before0;
            s.count1 = before1;
        } else {
            s.state[vector] = 1;
            --s.chosenCount;
        }
    }
}

}  // namespace

BaselineSelection runBaselineSelection(const SelectionOptions& options, uint32_t nodeCount,
                                       const std::vector<std::string>& faultTable,
                                       const std::string& faultSummary) {
    BaselineSelection selection;
    selection.state.assign(faultTable.size(), 1);
    selection.covered0.assign(nodeCount, 0);
    selection.covered1.assign(nodeCount, 0);
    selection.count0.assign(nodeCount, 0);
    selection.count1.assign(nodeCount, 0);
    selection.detectableTotal = countDetectableFaults(faultSummary, nodeCount);
    if (options.faultCoverActive) {
        selection.coverLimit = coverLimitOf(options.faultCoverPercent, selection.detectableTotal);
    }

    BaselineRun run{selection, options, nodeCount, faultTable};
    if (!faultTable.empty()) {
        if (options.seedWithEssentialVectors) {
            seedWithEssentialVectors(run);
        } else {
            seedWithWidestVector(run);
        }
        completeGreedily(run);
        eliminateRedundant(run);
    }
    return selection;
}
