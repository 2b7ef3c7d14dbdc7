// The selection as the rest of the tool sees it: one call from the patterns
// and the options to the chosen vectors, the step that chose each, and the
// figures the console prints.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/choice_phase.h"
#include "select/selection_options.h"

// "-n_detect N": the faults the summary marks detectable that the chosen set
// detects N times or more, of all the detectable faults.
struct DetectionFigure {
    uint32_t times = 0;
    uint32_t met = 0;
    uint32_t total = 0;
};

// "-diagnostic": the classes of the faults the input vectors detect (faults
// that no vector of a set tells apart share one), under the chosen vectors,
// where the faults they do not detect are one class, and under the input
// vectors.
struct ClassFigure {
    uint32_t distinguished = 0;
    uint32_t total = 0;
};

// "-minimize": a bound that no set can pass. A lower bound on the vectors of
// any set that keeps what the chosen one keeps, or with a budget that binds,
// an upper bound on the demand any set within it meets.
struct SearchBound {
    bool upper = false;
    uint64_t value = 0;
};

struct SelectionResult {
    // The chosen vectors in the order to write them: ascending, or with
    // options.coverageOrder in coverage order.
    std::vector<uint32_t> chosen;
    std::vector<ChoicePhase> phases;  // the step that chose each of them
    uint32_t cycleCount = 0;
    uint32_t coveredCount = 0;        // faults some chosen vector detects
    bool budgetBinds = false;         // "-max_vectors" chose fewer than the selection without it
    std::optional<DetectionFigure> detections;
    std::optional<ClassFigure> classes;
    std::optional<SearchBound> bound;
};

// The whole selection; failures are fatal ("Out of memory").
SelectionResult runSelection(const SelectionOptions& options, const PatternSet& patterns);
