// The coverage plot of a run as a plain SVG 1.1 document: fault coverage
// against the vectors applied, for the input file in its own order and for
// the chosen set in the order that reaches coverage soonest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/report_tallies.h"

struct CoveragePlot {
    std::string title;                  // the design's name
    std::string figures;                // the run's three figures in one line
    uint32_t detectableCount = 0;       // 100 % on the coverage axis
    std::vector<CoveragePoint> input;   // the input file, in file order
    std::vector<CoveragePoint> chosen;  // the chosen set, in apply order
    uint64_t inputVectors = 0;
    uint64_t chosenVectors = 0;
};

// At most this many points per curve.
constexpr size_t PlotPointsPerCurve = 2000;

// The points of a rising curve of `count` steps whose value after k steps
// is coveredAfter[k - 1]: every step up to half the points, then steps that
// grow geometrically, the last always included.
std::vector<CoveragePoint> sampleCurve(const std::vector<uint32_t>& coveredAfter, size_t points);

std::string coveragePlotSvg(const CoveragePlot& plot);
