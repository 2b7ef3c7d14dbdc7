#include "select/covering/cover_instance.h"

#include <numeric>
#include <utility>

CoverInstance makeCoverInstance(std::vector<uint32_t> demand, std::vector<uint32_t> columnVector,
                                std::vector<CoverOffset> columnStart,
                                std::vector<uint32_t> columnElements) {
    CoverInstance instance;
    instance.elementCount = static_cast<uint32_t>(demand.size());
    instance.columnCount = static_cast<uint32_t>(columnVector.size());
    instance.demand = std::move(demand);
    instance.columnVector = std::move(columnVector);
    instance.columnStart = std::move(columnStart);
    instance.columnElements = std::move(columnElements);
    // Transpose by counting; columns are visited in ascending order, so every
    // element's list comes out ascending. elementStart[e + 1] starts as the
    // offset of element e and serves as its cursor, so it ends where element
    // e + 1 starts: no second array of offsets.
    std::vector<CoverOffset>& start = instance.elementStart;
    start.assign(static_cast<size_t>(instance.elementCount) + 1, 0);
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

CoverInstance subInstance(const CoverInstance& whole, const std::vector<uint32_t>& columns,
                          const std::vector<uint32_t>& elements) {
    std::vector<uint32_t> renumbered(whole.elementCount, UINT32_MAX);
    std::vector<uint32_t> demand;
    std::vector<uint32_t> weight;
    for (uint32_t e : elements) {
        renumbered[e] = static_cast<uint32_t>(demand.size());
        demand.push_back(whole.demand[e]);
        if (!whole.weight.empty()) {
            weight.push_back(whole.weight[e]);
        }
    }
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    std::vector<uint32_t> columnElements;
    for (uint32_t c : columns) {
        columnVector.push_back(whole.columnVector[c]);
        for (const uint32_t* e = columnBegin(whole, c); e != columnEnd(whole, c); ++e) {
            if (renumbered[*e] != UINT32_MAX) {
                columnElements.push_back(renumbered[*e]);
            }
        }
        columnStart.push_back(columnElements.size());
    }
    CoverInstance subset =
        makeCoverInstance(std::move(demand), std::move(columnVector), std::move(columnStart), std::move(columnElements));
    subset.weight = std::move(weight);
    return subset;
}

CoverInstance columnSubset(const CoverInstance& whole, const std::vector<uint32_t>& columns) {
    std::vector<uint32_t> every(whole.elementCount);
    std::iota(every.begin(), every.end(), 0u);
    return subInstance(whole, columns, every);
}
