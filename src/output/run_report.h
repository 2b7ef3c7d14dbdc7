// "-report PREFIX": the fault report, the vector report and the coverage
// plot of a run, put in place together with the compacted file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/ssbdd_model.h"
#include "output/replacement_group.h"
#include "patterns/pattern_set.h"
#include "select/choice_phase.h"

// What the run decided and printed, beyond the patterns and the model.
struct RunReport {
    std::string designName;
    std::vector<uint32_t> chosen;      // the chosen vectors in the order of the compacted file
    std::vector<ChoicePhase> phases;   // the phase that chose each of them
    uint32_t cycleCount = 0;
    uint32_t coveredCount = 0;         // as the "Covered" line gives it
    // With "-n_detect N": N, and the faults file gives each fault's demand.
    uint32_t detections = 0;
    // What may have left faults that the input detects undetected.
    bool faultCoverActive = false;  // "-fault_cover"
    bool budgetBinds = false;       // "-max_vectors", with a budget below what the selection needs
    // "-fault_cover N" and "-max_vectors K", marked in the plot; 0 for no budget.
    std::optional<uint32_t> faultCoverPercent;
    uint32_t vectorBudget = 0;
    // "-diagnostic": the faults file gives each fault's class under the
    // chosen vectors, the vectors file the classes after each vector applied.
    bool diagnostic = false;
};

// PREFIX.faults.csv, PREFIX.vectors.csv and PREFIX.coverage.svg, in the
// order they are written.
std::vector<std::string> reportFileNames(const std::string& prefix);

// Writes the three files, each a new member of `group`, finished but not
// yet in place; a failure is fatal with the file's name.
void writeRunReport(ReplacementGroup& group, const std::string& prefix, const RunReport& report,
                    const PatternSet& patterns, const SsbddModel& model);
