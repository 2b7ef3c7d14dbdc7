// The coverage plot of a run as a plain SVG 1.1 document: the coverage of
// the detectable faults against the vectors applied, for the input file in
// its own order and for the chosen set in the order that reaches coverage
// soonest, under the run's fault coverage (of the faults the fault report
// lists) and test coverage (of the detectable faults, as the axis).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/replacement_file.h"
#include "output/report_tallies.h"

struct CoveragePlot {
    std::string title;                  // the design's name
    uint32_t cycleCount = 0;
    uint32_t coveredFaults = 0;         // faults the chosen set detects, as the console's "Covered"
    uint64_t faultCount = 0;            // two per node the faults report lists
    uint32_t detectableCount = 0;       // 100 % on the coverage axis
    uint32_t detectableCovered = 0;     // of them, those the chosen set detects
    std::vector<CoveragePoint> input;   // the input file, in file order
    std::vector<CoveragePoint> chosen;  // the chosen set, in apply order
    uint64_t inputVectors = 0;
    uint64_t chosenVectors = 0;
    std::optional<uint32_t> faultCoverPercent;  // "-fault_cover N": a line across at N %
    uint32_t vectorBudget = 0;                  // "-max_vectors K": a line up at K vectors; 0 for none
};

// At most this many points per curve.
constexpr size_t PlotPointsPerCurve = 2000;

// The points of a rising curve of `count` steps whose value after k steps
// is coveredAfter[k - 1]: every step up to half the points, then steps that
// grow geometrically, the last always included.
std::vector<CoveragePoint> sampleCurve(const std::vector<uint32_t>& coveredAfter, size_t points);

// Writes the plot to `svg` as it is made. Text from outside (the design's
// name) is made safe for XML (output/xml_text.h).
void writeCoveragePlot(ReplacementFile& svg, const CoveragePlot& plot);
