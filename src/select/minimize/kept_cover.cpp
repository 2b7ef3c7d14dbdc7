#include "select/minimize/kept_cover.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "select/phases/selection_state.h"

namespace {

// Bit planes over all nodes: the fault-0 plane in words 0 to words - 1, the
// fault-1 plane in words to 2 * words - 1, whatever the width of a row.
// Fault 64 * i + b is bit b of word i.
struct FaultPlanes {
    uint32_t words = 0;
    std::vector<uint64_t> bits;
};

FaultPlanes emptyPlanes(uint32_t words) {
    return FaultPlanes{words, std::vector<uint64_t>(2 * static_cast<size_t>(words), 0)};
}

// Calls visit(planeIndex, rowWord) for the stored words of a row.
template <typename Visit>
void forRowWords(const FaultTableRow& row, uint32_t planeWords, Visit visit) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        size_t base = static_cast<size_t>(plane) * planeWords;
        for (uint32_t w = 0; w < row.words; ++w) {
            visit(base + w, bits[w]);
        }
    }
}

// Calls visit(fault) for every fault a row detects; returns how many.
template <typename Visit>
uint64_t forRowFaults(const FaultTableRow& row, uint32_t planeWords, Visit visit) {
    uint64_t count = 0;
    forRowWords(row, planeWords, [&](size_t i, uint64_t word) {
        count += static_cast<uint64_t>(std::popcount(word));
        for (; word != 0; word &= word - 1) {
            visit(64 * i + static_cast<size_t>(std::countr_zero(word)));
        }
    });
    return count;
}

void addRow(FaultPlanes& planes, const FaultTableRow& row) {
    forRowWords(row, planes.words, [&](size_t i, uint64_t word) { planes.bits[i] |= word; });
}

bool rowMeets(const FaultTableRow& row, const FaultPlanes& planes) {
    bool meets = false;
    forRowWords(row, planes.words, [&](size_t i, uint64_t word) {
        meets = meets || (word & planes.bits[i]) != 0;
    });
    return meets;
}

// Faults that exactly one vector detects, among `kept`.
FaultPlanes detectedOnce(const FaultTable& table, uint32_t vectorCount, const FaultPlanes& kept) {
    FaultPlanes once = emptyPlanes(kept.words);
    FaultPlanes twice = emptyPlanes(kept.words);
    for (uint32_t v = 0; v < vectorCount; ++v) {
        forRowWords(table.rows[v], kept.words, [&](size_t i, uint64_t word) {
            uint64_t hit = word & kept.bits[i];
            twice.bits[i] |= once.bits[i] & hit;
            once.bits[i] |= hit;
        });
    }
    for (size_t i = 0; i < once.bits.size(); ++i) {
        once.bits[i] &= ~twice.bits[i];
    }
    return once;
}

// The instance over the open faults, numbered in plane-and-word order: one
// column for every vector but the fixed ones that detects an open fault.
// `demand` lists the open faults' demands in that order.
CoverInstance openFaultColumns(const FaultTable& table, uint32_t vectorCount,
                               const std::vector<uint32_t>& fixedVectors, const FaultPlanes& open,
                               std::vector<uint32_t> demand, WorkBudget& budget) {
    std::vector<uint32_t> base(open.bits.size() + 1, 0);
    for (size_t i = 0; i < open.bits.size(); ++i) {
        base[i + 1] = base[i] + static_cast<uint32_t>(std::popcount(open.bits[i]));
    }
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
    size_t nextFixed = 0;
    for (uint32_t v = 0; v < vectorCount; ++v) {
        if (nextFixed < fixedVectors.size() && fixedVectors[nextFixed] == v) {
            ++nextFixed;
            continue;
        }
        size_t before = columnElements.size();
        forRowWords(table.rows[v], open.words, [&](size_t i, uint64_t word) {
            uint64_t hit = word & open.bits[i];
            while (hit != 0) {
                uint64_t low = hit & (~hit + 1);
                columnElements.push_back(base[i] + static_cast<uint32_t>(std::popcount(open.bits[i] & (low - 1))));
                hit ^= low;
            }
        });
        if (columnElements.size() != before) {
            columnVector.push_back(v);
            columnStart.push_back(columnElements.size());
        }
    }
    spendWork(budget, columnElements.size());
    // The list grew by doubling: trimmed before the transpose allocates as
    // much again.
    columnElements.shrink_to_fit();
    return makeCoverInstance(std::move(demand), std::move(columnVector), std::move(columnStart),
                             std::move(columnElements));
}

// Every demand 1: bit planes of the kept faults and of those detected once.
KeptCover keptSingleCover(const FaultTable& table, uint32_t vectorCount, const std::vector<int32_t>& state,
                          WorkBudget& budget) {
    uint32_t words = table.maxWords;
    spendWork(budget, 4 * static_cast<uint64_t>(vectorCount) * 2 * words);

    FaultPlanes kept = emptyPlanes(words);
    for (uint32_t v = 0; v < vectorCount; ++v) {
        if (state[v] == Selected) {
            addRow(kept, table.rows[v]);
        }
    }

    KeptCover cover;
    FaultPlanes essential = detectedOnce(table, vectorCount, kept);
    FaultPlanes open = std::move(kept);
    {
        FaultPlanes fixedCovers = emptyPlanes(words);
        for (uint32_t v = 0; v < vectorCount; ++v) {
            if (rowMeets(table.rows[v], essential)) {
                cover.fixedVectors.push_back(v);
                addRow(fixedCovers, table.rows[v]);
            }
        }
        for (size_t i = 0; i < open.bits.size(); ++i) {
            open.bits[i] &= ~fixedCovers.bits[i];
        }
    }
    size_t openCount = 0;
    for (uint64_t word : open.bits) {
        openCount += static_cast<size_t>(std::popcount(word));
    }
    cover.residual = openFaultColumns(table, vectorCount, cover.fixedVectors, open,
                                      std::vector<uint32_t>(openCount, 1), budget);
    return cover;
}

// Any demands: a count per fault of what is still needed.
KeptCover keptMulticover(const FaultTable& table, uint32_t vectorCount, const std::vector<int32_t>& state,
                         const FaultDemands& demands, WorkBudget& budget) {
    uint32_t words = table.maxWords;
    size_t planeFaults = 64 * static_cast<size_t>(words);
    std::vector<uint32_t> need(2 * planeFaults, 0);
    uint64_t visited = 0;
    for (uint32_t v = 0; v < vectorCount; ++v) {
        if (state[v] != Selected) {
            continue;
        }
        visited += forRowFaults(table.rows[v], words, [&](size_t f) {
            auto plane = static_cast<uint32_t>(f / planeFaults);
            if (need[f] < demandAt(demands, plane, f % planeFaults)) {
                ++need[f];
            }
        });
    }

    KeptCover cover;
    {
        // Detecting vectors, counted up to one more than the need.
        std::vector<uint32_t> detectors(need.size(), 0);
        for (uint32_t v = 0; v < vectorCount; ++v) {
            visited += forRowFaults(table.rows[v], words, [&](size_t f) {
                detectors[f] += detectors[f] <= need[f] ? 1 : 0;
            });
        }
        for (uint32_t v = 0; v < vectorCount; ++v) {
            bool needed = false;
            visited += forRowFaults(table.rows[v], words, [&](size_t f) {
                needed = needed || (need[f] > 0 && detectors[f] == need[f]);
            });
            if (needed) {
                cover.fixedVectors.push_back(v);
            }
        }
    }
    for (uint32_t v : cover.fixedVectors) {
        visited += forRowFaults(table.rows[v], words, [&](size_t f) { need[f] -= need[f] > 0 ? 1 : 0; });
    }
    spendWork(budget, visited + 2 * need.size());

    FaultPlanes open = emptyPlanes(words);
    std::vector<uint32_t> demand;
    for (size_t f = 0; f < need.size(); ++f) {
        if (need[f] > 0) {
            open.bits[f / 64] |= uint64_t{1} << (f % 64);
            demand.push_back(need[f]);
        }
    }
    need = std::vector<uint32_t>();
    cover.residual = openFaultColumns(table, vectorCount, cover.fixedVectors, open, std::move(demand), budget);
    return cover;
}

}  // namespace

KeptCover buildKeptCover(const FaultTable& table, const std::vector<int32_t>& state,
                         const FaultDemands* demands, WorkBudget& budget) {
    auto vectorCount = static_cast<uint32_t>(std::min(state.size(), table.rows.size()));
    if (demands == nullptr) {
        return keptSingleCover(table, vectorCount, state, budget);
    }
    return keptMulticover(table, vectorCount, state, *demands, budget);
}
