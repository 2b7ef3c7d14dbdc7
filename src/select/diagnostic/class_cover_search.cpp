#include "select/diagnostic/class_cover_search.h"

#include <algorithm>
#include <utility>

#include "select/diagnostic/class_pairs.h"
#include "select/diagnostic/class_restoring.h"
#include "select/diagnostic/class_signatures.h"
#include "select/diagnostic/fault_classes.h"
#include "select/diagnostic/kept_demands.h"
#include "select/diagnostic/pair_cover_instance.h"
#include "select/diagnostic/shortfall_cover.h"
#include "select/faults/fault_rows.h"
#include "select/minimize/cover_reduction.h"
#include "select/minimize/cover_search.h"

namespace {

// Each round's search may use this share of the work still left.
constexpr uint64_t RoundShareDenominator = 6;
// What a round costs beyond its search, in table words: some eight passes
// over the rows of the table or of a set (the signatures, the counts, the
// completion of its cover).
constexpr uint64_t RoundPasses = 8;

// The part of the model found so far.
struct PartialModel {
    const PatternSet& patterns;
    const FaultClasses& classes;
    FaultMarks representatives;
    std::vector<uint32_t> classDemand;  // per class
    std::vector<uint8_t> isDemanded;    // per class: its coverage is in the model
    std::vector<ClassPair> pairs;       // sorted
};

// Adds the classes the vectors detect fewer times than they keep (with
// `slack` 1: no more than they keep); returns how many.
uint32_t addShortClasses(PartialModel& model, const std::vector<uint32_t>& vectors, uint32_t slack) {
    std::vector<uint32_t> count = classDetections(model.patterns, model.classes, model.representatives, vectors);
    uint32_t added = 0;
    for (uint32_t c = 0; c < count.size(); ++c) {
        if (!model.isDemanded[c] && model.classDemand[c] > 0 && count[c] < model.classDemand[c] + slack) {
            model.isDemanded[c] = 1;
            ++added;
        }
    }
    return added;
}

uint32_t addPairs(PartialModel& model, const std::vector<ClassPair>& pairs) {
    size_t before = model.pairs.size();
    mergePairs(model.pairs, pairs);
    return static_cast<uint32_t>(model.pairs.size() - before);
}

struct RoundResult {
    std::vector<uint32_t> vectors;  // ascending
    uint32_t lowerBound = 0;
};

RoundResult searchRound(const PartialModel& model, uint32_t knownSize, WorkBudget& budget) {
    FaultMarks wanted = noFaultMarks(model.patterns);
    std::vector<uint32_t> demanded;
    auto want = [&](uint32_t c) { markFault(wanted, representativeOf(model.classes, c)); };
    for (uint32_t c = 0; c < model.isDemanded.size(); ++c) {
        if (model.isDemanded[c]) {
            demanded.push_back(c);
            want(c);
        }
    }
    for (const ClassPair& pair : model.pairs) {
        want(pair.first);
        want(pair.second);
    }
    KeptCover cover;
    {
        ClassSignatures signatures = signaturesOfClasses(model.patterns, model.classes, wanted);
        cover.residual = pairCoverInstance(signatures, demanded, model.classDemand, model.pairs);
    }
    reduceKeptCover(cover, budget);
    auto fixed = static_cast<uint32_t>(cover.fixedVectors.size());
    CoverSearchResult found = searchCover(cover.residual, knownSize - std::min(knownSize, fixed), budget);
    RoundResult round{std::move(cover.fixedVectors), fixed + found.lowerBound};
    for (uint32_t column : found.columns) {
        round.vectors.push_back(cover.residual.columnVector[column]);
    }
    std::sort(round.vectors.begin(), round.vectors.end());
    return round;
}

// The round's cover completed to a set that keeps the coverage and every class.
std::vector<uint32_t> completedSet(const PatternSet& patterns, const std::vector<uint32_t>& vectors,
                                   const std::vector<uint32_t>& keep) {
    std::vector<uint8_t> chosen(patterns.faultTable.rows.size(), 0);
    for (uint32_t v : vectors) {
        chosen[v] = 1;
    }
    std::vector<uint32_t> start = vectors;
    std::vector<uint32_t> picks = coverShortfalls(patterns, chosen, keep);
    start.insert(start.end(), picks.begin(), picks.end());
    return restoreEveryClass(patterns, start, keep).vectors;
}

}  // namespace

ClassCover searchClassCover(const PatternSet& patterns, const std::vector<uint32_t>& start,
                            const std::vector<uint32_t>& keep, WorkBudget& budget) {
    ClassCover best{start, 0};
    std::sort(best.vectors.begin(), best.vectors.end());
    FaultClasses classes = classesUnder(patterns, start, keptFaults(patterns, keep));
    PartialModel model{patterns, classes, representativeMarks(patterns, classes),
                       std::vector<uint32_t>(classCount(classes)),
                       std::vector<uint8_t>(classCount(classes), 0), {}};
    for (uint32_t c = 0; c < classCount(classes); ++c) {
        model.classDemand[c] = keep[representativeOf(classes, c)];
    }
    addShortClasses(model, start, 1);
    addPairs(model, pairsSplitOnce(patterns, classes, model.representatives, start));
    uint64_t passWords = tableWords(patterns);

    while (workLeft(budget) && best.lowerBound < best.vectors.size()) {
        uint64_t left = budget.limit - budget.used;
        WorkBudget part{budget.used + left / RoundShareDenominator, budget.used};
        RoundResult round = searchRound(model, static_cast<uint32_t>(best.vectors.size()), part);
        budget.used = part.used;
        spendWork(budget, RoundPasses * passWords);
        best.lowerBound = std::max(best.lowerBound, round.lowerBound);
        uint32_t missed = addShortClasses(model, round.vectors, 0) +
                          addPairs(model, pairsLeftTogether(patterns, classes, model.representatives, round.vectors));
        if (missed == 0) {
            if (round.vectors.size() < best.vectors.size()) {
                best.vectors = std::move(round.vectors);
            }
            break;
        }
        std::vector<uint32_t> completed = completedSet(patterns, round.vectors, keep);
        if (completed.size() < best.vectors.size()) {
            // What the better set meets tightly joins the model too.
            addShortClasses(model, completed, 1);
            addPairs(model, pairsSplitOnce(patterns, classes, model.representatives, completed));
            best.vectors = std::move(completed);
        }
    }
    best.lowerBound = std::min(best.lowerBound, static_cast<uint32_t>(best.vectors.size()));
    return best;
}
