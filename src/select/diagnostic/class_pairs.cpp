#include "select/diagnostic/class_pairs.h"

#include <algorithm>
#include <utility>

#include "select/diagnostic/signature_key.h"
#include "select/diagnostic/signature_map.h"

std::vector<ClassPair> pairsLeftTogether(const PatternSet& patterns, const FaultClasses& classes,
                                         const FaultMarks& representatives,
                                         const std::vector<uint32_t>& vectors) {
    FaultClasses together = classesUnder(patterns, vectors, representatives);
    std::vector<ClassPair> pairs;
    std::vector<uint32_t> group;
    for (uint32_t g = 0; g < classCount(together); ++g) {
        if (together.classSize[g] < 2) {
            continue;
        }
        group.clear();
        for (uint32_t i = 0; i < together.classSize[g]; ++i) {
            group.push_back(classes.classOf[together.members[together.classStart[g] + i]]);
        }
        std::sort(group.begin(), group.end());
        auto size = static_cast<uint32_t>(group.size());
        for (uint32_t i = 0; i < size; ++i) {
            uint32_t last = size <= AllPairsGroup ? size : std::min(size, i + 2);
            for (uint32_t j = i + 1; j < last; ++j) {
                pairs.push_back(ClassPair{group[i], group[j]});
            }
        }
    }
    return pairs;
}

std::vector<ClassPair> pairsSplitOnce(const PatternSet& patterns, const FaultClasses& classes,
                                      const FaultMarks& representatives,
                                      const std::vector<uint32_t>& vectors) {
    std::vector<uint64_t> hash(classCount(classes), 0);
    for (uint32_t v : vectors) {
        uint64_t key = signatureKey(v);
        forEachMarkedFault(selectionRow(patterns, v), representatives,
                           [&](uint64_t fault) { hash[classes.classOf[fault]] ^= key; });
    }
    // The classes by hash, and where each hash's run of them starts.
    std::vector<std::pair<uint64_t, uint32_t>> sorted(hash.size());
    for (uint32_t c = 0; c < classCount(classes); ++c) {
        sorted[c] = {hash[c], c};
    }
    std::sort(sorted.begin(), sorted.end());
    SignatureMap firstWithHash = emptySignatureMap(sorted.size());
    for (uint32_t i = 0; i < classCount(classes); ++i) {
        if (i == 0 || sorted[i - 1].first != sorted[i].first) {
            addToSignature(firstWithHash, sorted[i].first, i + 1);
        }
    }
    std::vector<ClassPair> pairs;
    for (uint32_t v : vectors) {
        uint64_t key = signatureKey(v);
        forEachMarkedFault(selectionRow(patterns, v), representatives, [&](uint64_t fault) {
            uint32_t c = classes.classOf[fault];
            uint64_t without = hash[c] ^ key;
            uint32_t first = signatureValue(firstWithHash, without);  // 1 + its index, 0: none
            for (size_t i = first; i > 0 && i <= sorted.size() && sorted[i - 1].first == without; ++i) {
                uint32_t other = sorted[i - 1].second;
                pairs.push_back(ClassPair{std::min(c, other), std::max(c, other)});
            }
        });
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

void mergePairs(std::vector<ClassPair>& pairs, const std::vector<ClassPair>& more) {
    pairs.insert(pairs.end(), more.begin(), more.end());
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
}
