// The covering problem behind "-minimize": the faults to keep covered are the
// elements, the vectors are the columns, every column costs one, and every
// element must be covered by as many chosen columns as its demand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// An offset into the element lists of all columns together: the detections
// of up to 2^32 vectors by up to 2^32 faults, far beyond 32 bits. It holds
// any size of those lists, so it cannot wrap.
using CoverOffset = uint64_t;
static_assert(std::numeric_limits<CoverOffset>::max() >= std::numeric_limits<size_t>::max(),
              "a cover offset holds every list size");

// Both orientations as compressed lists. Columns are numbered in ascending
// vector order, so the lowest column index is also the lowest vector index;
// elements are numbered by fault (fault 0 of every node, then fault 1).
struct CoverInstance {
    uint32_t elementCount = 0;
    uint32_t columnCount = 0;
    std::vector<uint32_t> demand;          // per element: 1 to its degree
    std::vector<uint32_t> weight;          // per element: the faults it stands for (all
                                           // with the same demand and columns); empty: 1 each
    std::vector<uint32_t> columnVector;    // the vector behind each column
    std::vector<CoverOffset> columnStart;  // columnCount + 1 offsets into columnElements
    std::vector<uint32_t> columnElements;  // ascending within a column
    std::vector<CoverOffset> elementStart; // elementCount + 1 offsets into elementColumns
    std::vector<uint32_t> elementColumns;  // ascending within an element
};

// Entry `index` of a list of lists: its first item, one past its last, and
// their number (a column lists each element once, an element each column).
inline const uint32_t* listBegin(const std::vector<uint32_t>& items, const std::vector<CoverOffset>& start,
                                 uint32_t index) {
    return items.data() + start[index];
}
inline uint32_t listSize(const std::vector<CoverOffset>& start, uint32_t index) {
    return static_cast<uint32_t>(start[index + 1] - start[index]);
}

inline const uint32_t* columnBegin(const CoverInstance& instance, uint32_t column) {
    return listBegin(instance.columnElements, instance.columnStart, column);
}
inline const uint32_t* columnEnd(const CoverInstance& instance, uint32_t column) {
    return listBegin(instance.columnElements, instance.columnStart, column + 1);
}
inline uint32_t columnSize(const CoverInstance& instance, uint32_t column) { return listSize(instance.columnStart, column); }
inline const uint32_t* elementBegin(const CoverInstance& instance, uint32_t element) {
    return listBegin(instance.elementColumns, instance.elementStart, element);
}
inline const uint32_t* elementEnd(const CoverInstance& instance, uint32_t element) {
    return listBegin(instance.elementColumns, instance.elementStart, element + 1);
}
inline uint32_t elementDegree(const CoverInstance& instance, uint32_t element) {
    return listSize(instance.elementStart, element);
}

inline uint32_t elementWeight(const CoverInstance& instance, uint32_t element) {
    return instance.weight.empty() ? 1 : instance.weight[element];
}

// Builds the instance of `columnCount` columns from the element list of each
// column (ascending element numbers below the size of `demand`).
CoverInstance makeCoverInstance(std::vector<uint32_t> demand, std::vector<uint32_t> columnVector,
                                std::vector<CoverOffset> columnStart,
                                std::vector<uint32_t> columnElements);

// The instance of the columns `columns` and the elements `elements` of
// `whole` (both ascending), numbered in that order, with the elements'
// demand and weight: the columns list only those elements.
CoverInstance subInstance(const CoverInstance& whole, const std::vector<uint32_t>& columns,
                          const std::vector<uint32_t>& elements);

// The instance of the columns `columns` (ascending) of `whole` with every element.
CoverInstance columnSubset(const CoverInstance& whole, const std::vector<uint32_t>& columns);
