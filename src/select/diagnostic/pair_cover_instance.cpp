#include "select/diagnostic/pair_cover_instance.h"

#include <algorithm>
#include <iterator>
#include <utility>

CoverInstance pairCoverInstance(const ClassSignatures& signatures, const std::vector<uint32_t>& demanded,
                                const std::vector<uint32_t>& classDemand, const std::vector<ClassPair>& pairs) {
    // The vectors of each element, then the elements of each vector.
    std::vector<uint32_t> demand;
    std::vector<CoverOffset> elementStart{0};
    std::vector<uint32_t> elementVectors;
    for (uint32_t c : demanded) {
        demand.push_back(classDemand[c]);
        elementVectors.insert(elementVectors.end(), signatureBegin(signatures, c), signatureEnd(signatures, c));
        elementStart.push_back(elementVectors.size());
    }
    for (const ClassPair& pair : pairs) {
        demand.push_back(1);
        std::set_symmetric_difference(signatureBegin(signatures, pair.first), signatureEnd(signatures, pair.first),
                                      signatureBegin(signatures, pair.second), signatureEnd(signatures, pair.second),
                                      std::back_inserter(elementVectors));
        elementStart.push_back(elementVectors.size());
    }
    uint32_t vectorEnd = 0;
    for (uint32_t v : elementVectors) {
        vectorEnd = std::max(vectorEnd, v + 1);
    }
    std::vector<CoverOffset> vectorStart(size_t{vectorEnd} + 1, 0);
    for (uint32_t v : elementVectors) {
        ++vectorStart[v + 1];
    }
    std::vector<uint32_t> columnVector;
    std::vector<CoverOffset> columnStart{0};
    for (uint32_t v = 0; v < vectorEnd; ++v) {
        if (vectorStart[v + 1] > 0) {
            columnVector.push_back(v);
            columnStart.push_back(columnStart.back() + vectorStart[v + 1]);
        }
    }
    // Column of each vector, and the elements placed column by column.
    std::vector<uint32_t> columnOf(vectorEnd, 0);
    for (uint32_t c = 0; c < columnVector.size(); ++c) {
        columnOf[columnVector[c]] = c;
    }
    std::vector<CoverOffset> next(columnStart.begin(), columnStart.end() - 1);
    std::vector<uint32_t> columnElements(elementVectors.size());
    for (uint32_t e = 0; e + 1 < elementStart.size(); ++e) {
        for (CoverOffset i = elementStart[e]; i < elementStart[e + 1]; ++i) {
            columnElements[next[columnOf[elementVectors[i]]]++] = e;
        }
    }
    return makeCoverInstance(std::move(demand), std::move(columnVector), std::move(columnStart),
                             std::move(columnElements));
}
