#include "select/covering/repeated_columns.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace {

// Distinct lists compared per hash value at most: hashes that many distinct
// lists share are made, not met, and such columns just stay.
constexpr size_t MaxListsPerHash = 8;

// A hash of a column's element list: copies get the same one.
uint64_t listHash(const uint32_t* begin, const uint32_t* end) {
    auto hash = static_cast<uint64_t>(end - begin);
    for (const uint32_t* e = begin; e != end; ++e) {
        hash = (hash ^ *e) * 0x9e3779b97f4a7c15ULL;
        hash ^= hash >> 29;
    }
    return hash;
}

}  // namespace

bool dropRepeatedColumns(CoverInstance& instance, WorkBudget& budget) {
    std::vector<std::pair<uint64_t, uint32_t>> keyed(instance.columnCount);
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        keyed[c] = {listHash(columnBegin(instance, c), columnEnd(instance, c)), c};
    }
    std::sort(keyed.begin(), keyed.end());
    spendWork(budget, instance.columnElements.size() +
                          uint64_t{instance.columnCount} * std::bit_width(instance.columnCount));
    std::vector<uint8_t> keep(instance.columnCount, 1);
    bool dropped = false;
    struct Original {
        uint32_t column;
        uint32_t copies;  // itself included
    };
    std::vector<Original> originals;
    for (size_t run = 0; run < keyed.size();) {
        size_t runEnd = run + 1;
        while (runEnd < keyed.size() && keyed[runEnd].first == keyed[run].first) {
            ++runEnd;
        }
        originals.clear();
        for (size_t i = run; i < runEnd; ++i) {
            uint32_t c = keyed[i].second;
            auto same = std::find_if(originals.begin(), originals.end(), [&](const Original& original) {
                spendWork(budget, columnSize(instance, c));
                return std::equal(columnBegin(instance, c), columnEnd(instance, c),
                                  columnBegin(instance, original.column), columnEnd(instance, original.column));
            });
            if (same == originals.end()) {
                if (originals.size() < MaxListsPerHash) {
                    originals.push_back({c, 1});
                }
                continue;
            }
            uint32_t needed = 0;
            for (const uint32_t* e = columnBegin(instance, c); e != columnEnd(instance, c); ++e) {
                needed = std::max(needed, instance.demand[*e]);
            }
            if (++same->copies > needed) {
                keep[c] = 0;
                dropped = true;
            }
        }
        run = runEnd;
    }
    if (!dropped) {
        return false;
    }
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
    for (uint32_t c = 0; c < instance.columnCount; ++c) {
        if (keep[c]) {
            columnElements.insert(columnElements.end(), columnBegin(instance, c), columnEnd(instance, c));
            columnVector.push_back(instance.columnVector[c]);
            columnStart.push_back(columnElements.size());
        }
    }
    spendWork(budget, 2 * columnElements.size());
    std::vector<uint32_t> demand = std::move(instance.demand);
    std::vector<uint32_t> weight = std::move(instance.weight);
    instance = CoverInstance{};
    instance = makeCoverInstance(std::move(demand), std::move(columnVector), std::move(columnStart),
                                 std::move(columnElements));
    instance.weight = std::move(weight);
    return true;
}

