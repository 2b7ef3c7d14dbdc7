#include "select/diagnostic/class_keeping.h"

#include <algorithm>
#include <utility>

#include "select/diagnostic/class_cover_search.h"
#include "select/diagnostic/class_restoring.h"
#include "select/diagnostic/row_faults.h"

namespace {

constexpr uint64_t BaseWork = uint64_t{1} << 28;
constexpr uint64_t WorkPerTableWord = 32;

}  // namespace

ClassKeeping keepEveryClass(const FaultTable& table, const std::vector<uint32_t>& chosen, uint32_t detections) {
    RestoredClasses restored = restoreEveryClass(table, chosen, keptDetections(table, chosen, detections));
    return ClassKeeping{std::move(restored.vectors), std::move(restored.topUpPicks), restored.classes,
                        restored.classes, 0};
}

ClassKeeping keepEveryClassMinimized(const FaultTable& table, const std::vector<uint32_t>& chosen,
                                     uint32_t detections, uint64_t workLimit) {
    std::vector<uint32_t> keep = keptDetections(table, chosen, detections);
    RestoredClasses restored = restoreEveryClass(table, chosen, keep);
    WorkBudget budget{workLimit, 0};
    ClassCover cover = searchClassCover(table, restored.vectors, keep, budget);
    ClassKeeping result{std::move(cover.vectors), {}, restored.classes, restored.classes, cover.lowerBound};
    // The top-up's picks that the search kept.
    for (uint32_t v : restored.topUpPicks) {
        if (std::binary_search(result.vectors.begin(), result.vectors.end(), v)) {
            result.topUpPicks.push_back(v);
        }
    }
    return result;
}

uint64_t classSearchWork(const FaultTable& table) { return BaseWork + WorkPerTableWord * tableWordCount(table); }
