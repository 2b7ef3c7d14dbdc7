#include "select/minimize/cover_instance.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "select/selection_state.h"

namespace {

// Bit planes over all nodes: the fault-0 plane in words 0 to words - 1, the
// fault-1 plane in words to 2 * words - 1, whatever the width of a row.
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
        const uint64_t* bits = row.bits + static_cast<size_t>(plane) * row.words;
        size_t base = static_cast<size_t>(plane) * planeWords;
        for (uint32_t w = 0; w < row.words; ++w) {
            visit(base + w, bits[w]);
        }
    }
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

}  // namespace

CoverInstance makeCoverInstance(uint32_t elementCount, std::vector<uint32_t> columnVector,
                                std::vector<CoverOffset> columnStart,
                                std::vector<uint32_t> columnElements) {
    CoverInstance instance;
    instance.elementCount = elementCount;
    instance.columnCount = static_cast<uint32_t>(columnVector.size());
    instance.columnVector = std::move(columnVector);
    instance.columnStart = std::move(columnStart);
    instance.columnElements = std::move(columnElements);
    // Transpose by counting; columns are visited in ascending order, so every
    // element's list comes out ascending. elementStart[e + 1] starts as the
    // offset of element e and serves as its cursor, so it ends where element
    // e + 1 starts: no second array of offsets.
    std::vector<CoverOffset>& start = instance.elementStart;
    start.assign(static_cast<size_t>(elementCount) + 1, 0);
    for (uint32_t element : instance.columnElements) {
        ++start[element + 1];
    }
    CoverOffset total = 0;
    for (size_t e = 1; e < start.size(); ++e) {
        CoverOffset degree = start[e];
        start[e] = total;
        total += degree;
    }
    instance.elementColumns.resize(instance.columnElements.size());
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
            instance.elementColumns[start[*e + 1]++] = c;
        }
    }
    return instance;
}

KeptCover buildKeptCover(const FaultTable& table, const std::vector<int32_t>& state,
                         WorkBudget& budget) {
    auto vectorCount = static_cast<uint32_t>(std::min(state.size(), table.rows.size()));
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

    // Element numbers: the open faults counted in plane-and-word order.
    std::vector<uint32_t> base(open.bits.size() + 1, 0);
    for (size_t i = 0; i < open.bits.size(); ++i) {
        base[i + 1] = base[i] + static_cast<uint32_t>(std::popcount(open.bits[i]));
    }

    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
    size_t nextFixed = 0;
    for (uint32_t v = 0; v < vectorCount; ++v) {
        if (nextFixed < cover.fixedVectors.size() && cover.fixedVectors[nextFixed] == v) {
            ++nextFixed;
            continue;
        }
        size_t before = columnElements.size();
        forRowWords(table.rows[v], words, [&](size_t i, uint64_t word) {
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
    cover.residual = makeCoverInstance(base.back(), std::move(columnVector), std::move(columnStart),
                                       std::move(columnElements));
    return cover;
}
