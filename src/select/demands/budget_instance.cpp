#include "select/demands/budget_instance.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "select/covering/repeated_columns.h"
#include "select/faults/fault_rows.h"

namespace {

// The demanded faults of a table row as elements: fault 0 of every node,
// then fault 1, in node order. `base` holds the element of the first
// demanded fault of each word of each plane.
template <typename Visit>
void forRowElements(const FaultTableRow& row, const FaultDemands& demands, const std::vector<uint32_t> (&base)[2],
                    Visit visit) {
    for (uint32_t plane = 0; plane < 2; ++plane) {
        const uint64_t* bits = faultPlane(row, plane);
        for (uint32_t word = 0; word < row.words && word < demands.words; ++word) {
            uint64_t open = demands.demanded[plane][word];
            for (uint64_t hit = bits[word] & open; hit != 0; hit &= hit - 1) {
                uint64_t below = (hit & (~hit + 1)) - 1;
                visit(base[plane][word] + static_cast<uint32_t>(std::popcount(open & below)));
            }
        }
    }
}

// Splits the elements into classes of those with the same demand and the
// same detecting vectors, one row at a time: the members of a class that a
// row detects leave it for a new class, unless they are all of it. Returns
// the class of every element; classes are numbered by their first element.
std::vector<uint32_t> alikeClasses(const PatternSet& patterns, const FaultDemands& demands,
                                   const std::vector<uint32_t> (&base)[2], const std::vector<uint32_t>& demand,
                                   WorkBudget& budget) {
    const auto elements = static_cast<uint32_t>(demand.size());
    std::vector<uint32_t> cls(elements);
    std::vector<uint32_t> size;
    {
        std::vector<uint32_t> ofDemand;  // demand -> class
        for (uint32_t e = 0; e < elements; ++e) {
            if (demand[e] >= ofDemand.size()) {
                ofDemand.resize(demand[e] + 1, UINT32_MAX);
            }
            if (ofDemand[demand[e]] == UINT32_MAX) {
                ofDemand[demand[e]] = static_cast<uint32_t>(size.size());
                size.push_back(0);
            }
            cls[e] = ofDemand[demand[e]];
            ++size[cls[e]];
        }
    }
    std::vector<uint32_t> child(size.size(), UINT32_MAX);  // per class: where its detected members go
    std::vector<uint32_t> moved(size.size(), 0);            // per class: its members the row detects
    std::vector<uint32_t> hits;
    std::vector<uint32_t> touched;
    uint64_t visited = 0;
    for (const FaultTableRow& row : patterns.faultTable.rows) {
        hits.clear();
        forRowElements(row, demands, base, [&](uint32_t e) { hits.push_back(e); });
        touched.clear();
        for (uint32_t e : hits) {
            if (moved[cls[e]]++ == 0) {
                touched.push_back(cls[e]);
            }
        }
        for (uint32_t e : hits) {
            uint32_t k = cls[e];
            if (moved[k] == size[k]) {
                continue;
            }
            if (child[k] == UINT32_MAX) {
                child[k] = static_cast<uint32_t>(size.size());
                size.push_back(0);
                child.push_back(UINT32_MAX);
                moved.push_back(0);
            }
            cls[e] = child[k];
            ++size[child[k]];
        }
        for (uint32_t k : touched) {
            if (child[k] != UINT32_MAX) {
                size[k] -= moved[k];
            }
            child[k] = UINT32_MAX;
            moved[k] = 0;
        }
        visited += 2 * hits.size() + row.words;
    }
    // Numbered by their first element.
    std::vector<uint32_t> number(size.size(), UINT32_MAX);
    uint32_t next = 0;
    for (uint32_t& k : cls) {
        if (number[k] == UINT32_MAX) {
            number[k] = next++;
        }
        k = number[k];
    }
    spendWork(budget, visited);
    return cls;
}

}  // namespace

CoverInstance budgetInstance(const PatternSet& patterns, const FaultDemands& demands, WorkBudget& budget) {
    std::vector<uint32_t> base[2];
    std::vector<uint32_t> demand;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        base[plane].resize(demands.words);
        for (size_t word = 0; word < demands.words; ++word) {
            base[plane][word] = static_cast<uint32_t>(demand.size());
            for (uint64_t rest = demands.demanded[plane][word]; rest != 0; rest &= rest - 1) {
                demand.push_back(demandAt(demands, plane, word * 64 + std::countr_zero(rest)));
            }
        }
    }
    // One element for each class of alike faults, weighing as many: whichever
    // set meets one of them meets all alike.
    std::vector<uint32_t> cls = alikeClasses(patterns, demands, base, demand, budget);
    std::vector<uint32_t> classDemand;
    std::vector<uint32_t> weight;
    for (uint32_t e = 0; e < cls.size(); ++e) {
        if (cls[e] == classDemand.size()) {
            classDemand.push_back(demand[e]);
            weight.push_back(0);
        }
        ++weight[cls[e]];
    }
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
    std::vector<uint32_t> seen(classDemand.size(), UINT32_MAX);  // per class: the last vector that held it
    auto rows = static_cast<uint32_t>(patterns.faultTable.rows.size());
    for (uint32_t vector = 0; vector < rows; ++vector) {
        size_t before = columnElements.size();
        forRowElements(patterns.faultTable.rows[vector], demands, base, [&](uint32_t e) {
            if (seen[cls[e]] != vector) {
                seen[cls[e]] = vector;
                columnElements.push_back(cls[e]);
            }
        });
        if (columnElements.size() != before) {
            std::sort(columnElements.begin() + static_cast<std::ptrdiff_t>(before), columnElements.end());
            columnVector.push_back(vector);
            columnStart.push_back(columnElements.size());
        }
    }
    spendWork(budget, tableWords(patterns) + 4 * columnElements.size());
    columnElements.shrink_to_fit();
    CoverInstance instance = makeCoverInstance(std::move(classDemand), std::move(columnVector),
                                               std::move(columnStart), std::move(columnElements));
    instance.weight = std::move(weight);
    dropRepeatedColumns(instance, budget);
    return instance;
}
