// The three report files: faults, vectors, coverage plot.
#include "output/run_report.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>

#include "base/fatal_error.h"
#include "output/coverage_plot.h"
#include "output/csv_field.h"
#include "output/replacement_file.h"
#include "output/report_tallies.h"
#include "select/diagnostic/class_numbers.h"
#include "select/faults/fault_rows.h"

namespace {

std::string percentOf(uint64_t part, uint64_t whole) {
    char text[32];
    double percent = whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
    std::snprintf(text, sizeof text, "%.6f", percent);
    return text;
}

std::string nameOrEmpty(const std::optional<std::string>& name) { return name ? csvField(*name) : std::string(); }

// The name of the variable the node tests, empty when there is none.
std::string testedVariable(const SsbddModel& model, uint32_t node) {
    if (node >= model.nodes.size()) {
        return std::string();
    }
    int32_t variable = model.nodes[node].variable;
    if (variable < 0 || static_cast<size_t>(variable) >= model.variables.size()) {
        return std::string();
    }
    return nameOrEmpty(model.variables[static_cast<size_t>(variable)].name);
}

// What became of the fault. One that only input vectors detect was left out
// by the budget or by the coverage limit; else the summary does not mark it
// detectable, or the selection stopped once it covered as many faults as the
// summary marks, unmarked ones among them.
const char* faultStatus(const FaultTallies& tallies, size_t fault, const RunReport& report) {
    if (tallies.chosenDetections[fault] > 0) {
        return "covered";
    }
    if (tallies.inputDetections[fault] == 0) {
        return tallies.detectable[fault] != 0 ? "undetected" : "undetectable";
    }
    if (report.budgetBinds) {
        return "over_budget";
    }
    if (report.faultCoverActive) {
        return "dropped";
    }
    return tallies.detectable[fault] == 0 ? "unmarked" : "left_open";
}

// "-diagnostic": each fault's class under the chosen vectors, and the
// classes after each vector of the apply order.
struct ClassColumns {
    FaultClassNumbers numbers;
    std::vector<uint32_t> after;
};

// The line of one fault; `nodeFields` holds its node's first three fields.
std::string faultRow(const std::string& nodeFields, uint32_t value, size_t fault, const FaultTallies& tallies,
                     const RunReport& report, const ClassColumns* classes) {
    uint32_t first = tallies.firstChosen[fault];
    std::string row = nodeFields + std::to_string(value) + "," +
                      (tallies.detectable[fault] != 0 ? "detectable" : "undetectable") + "," +
                      std::to_string(tallies.inputDetections[fault]) + "," +
                      std::to_string(tallies.chosenDetections[fault]) + "," +
                      (first == NoVector ? std::string() : std::to_string(first)) + "," +
                      faultStatus(tallies, fault, report);
    if (report.detections > 0) {
        uint32_t demand = std::min(report.detections, tallies.inputDetections[fault]);
        row += ',';
        row += std::to_string(demand);
        row += tallies.chosenDetections[fault] >= demand ? ",yes" : ",no";
    }
    if (classes) {
        // Both empty for a fault no input vector detects.
        uint32_t number = classNumberOf(classes->numbers, fault);
        row += ',';
        row += number == NoClass ? std::string() : std::to_string(number);
        row += ',';
        row += number == NoClass ? std::string() : std::to_string(classes->numbers.size[number]);
    }
    row += CsvLineEnd;
    return row;
}

// PREFIX.faults.csv, written a line at a time.
void writeFaultsCsv(ReplacementFile& file, const FaultTallies& tallies, const SsbddModel& model,
                    const RunReport& report, const ClassColumns* classes) {
    std::string header = "node,node_name,variable,fault,class,input_detections,chosen_detections,"
                         "first_chosen_vector,status";
    if (report.detections > 0) {
        header += ",demand,demand_met";
    }
    if (classes) {
        header += ",diagnostic_class,class_size";
    }
    header += CsvLineEnd;
    appendText(file, header);
    for (uint32_t node = 0; node < tallies.nodeCount && !file.failed; ++node) {
        std::string nodeName = node < model.nodeNames.size() ? nameOrEmpty(model.nodeNames[node]) : std::string();
        std::string nodeFields = std::to_string(node) + "," + nodeName + "," + testedVariable(model, node) + ",";
        for (uint32_t value = 0; value < 2; ++value) {
            appendText(file, faultRow(nodeFields, value, faultNumber(node, value), tallies, report, classes));
        }
    }
}

struct VectorCounts {
    uint32_t detected = 0;
    uint32_t unique = 0;  // detected by no other chosen vector
};

VectorCounts countsOf(const PatternSet& patterns, const FaultTallies& tallies, uint32_t vector) {
    VectorCounts counts;
    forEachFault(selectionRow(patterns, vector), [&](uint64_t fault) {
        if (fault < 2 * uint64_t{tallies.nodeCount}) {
            ++counts.detected;
            counts.unique += tallies.chosenDetections[fault] == 1 ? 1 : 0;
        }
    });
    return counts;
}

// The line of the chosen vector at `position` of the compacted file, which
// is at `place` of the apply order.
std::string vectorRow(const RunReport& report, size_t position, uint32_t place, const PatternSet& patterns,
                      const FaultTallies& tallies, const ApplyOrder& order, const ClassColumns* classes) {
    uint32_t vector = report.chosen[position];
    VectorCounts counts = countsOf(patterns, tallies, vector);
    std::string row = std::to_string(position) + "," + std::to_string(vector) + "," + std::to_string(counts.detected) +
                      "," + std::to_string(counts.unique) + "," + choicePhaseName(report.phases[position]) + "," +
                      std::to_string(place + 1) + "," + std::to_string(order.coveredAfter[place]) + "," +
                      percentOf(order.coveredAfter[place], tallies.detectableCount);
    if (classes) {
        row += ',';
        row += std::to_string(classes->after[place]);
    }
    row += CsvLineEnd;
    return row;
}

// PREFIX.vectors.csv, written a line at a time.
void writeVectorsCsv(ReplacementFile& file, const RunReport& report, const PatternSet& patterns,
                     const FaultTallies& tallies, const ApplyOrder& order, const ClassColumns* classes) {
    std::vector<std::pair<uint32_t, uint32_t>> byVector;  // (vector, its place in the apply order)
    for (uint32_t place = 0; place < order.vectors.size(); ++place) {
        byVector.push_back({order.vectors[place], place});
    }
    std::sort(byVector.begin(), byVector.end());
    auto placeOf = [&byVector](uint32_t vector) {
        return std::lower_bound(byVector.begin(), byVector.end(), std::make_pair(vector, uint32_t{0}))->second;
    };
    std::string header =
        "position,input_vector,detected_faults,unique_faults,phase,apply_order,covered_after,"
        "coverage_after_percent";
    if (classes) {
        header += ",classes_after";
    }
    header += CsvLineEnd;
    appendText(file, header);
    for (size_t position = 0; position < report.chosen.size() && !file.failed; ++position) {
        appendText(file, vectorRow(report, position, placeOf(report.chosen[position]), patterns, tallies, order,
                                   classes));
    }
}

}  // namespace

std::vector<std::string> reportFileNames(const std::string& prefix) {
    return {prefix + ".faults.csv", prefix + ".vectors.csv", prefix + ".coverage.svg"};
}

void writeRunReport(ReplacementGroup& group, const std::string& prefix, const RunReport& report,
                    const PatternSet& patterns, const SsbddModel& model) {
    try {
        std::vector<std::string> names = reportFileNames(prefix);
        // The tallies take the chosen vectors in file order, whatever order they are written in.
        std::vector<uint32_t> inFileOrder = report.chosen;
        std::sort(inFileOrder.begin(), inFileOrder.end());
        FaultTallies tallies = tallyFaults(patterns, model, inFileOrder);
        ApplyOrder order = greedyApplyOrder(patterns, inFileOrder);
        std::optional<ClassColumns> classes;
        if (report.diagnostic) {
            classes = ClassColumns{numberFaultClasses(patterns, inFileOrder),
                                   classesAfterEach(patterns, order.vectors)};
        }
        // A report file is a new file: nothing is taken from one already there.
        ReplacementFile& faults = addReplacement(group, names[0], ExistingFile::NewFile);
        writeFaultsCsv(faults, tallies, model, report, classes ? &*classes : nullptr);
        finishReplacement(faults);
        ReplacementFile& vectors = addReplacement(group, names[1], ExistingFile::NewFile);
        writeVectorsCsv(vectors, report, patterns, tallies, order, classes ? &*classes : nullptr);
        finishReplacement(vectors);

        CoveragePlot plot;
        plot.title = report.designName;
        plot.cycleCount = report.cycleCount;
        plot.coveredFaults = report.coveredCount;
        plot.faultCount = 2 * uint64_t{tallies.nodeCount};
        plot.detectableCount = tallies.detectableCount;
        plot.detectableCovered = order.coveredAfter.empty() ? 0 : order.coveredAfter.back();
        plot.faultCoverPercent = report.faultCoverPercent;
        plot.vectorBudget = report.vectorBudget;
        plot.input = inputCoverageCurve(patterns, tallies, PlotPointsPerCurve);
        plot.chosen = sampleCurve(order.coveredAfter, PlotPointsPerCurve);
        plot.inputVectors = patterns.vectorCount;
        plot.chosenVectors = report.chosen.size();
        ReplacementFile& svg = addReplacement(group, names[2], ExistingFile::NewFile);
        writeCoveragePlot(svg, plot);
        finishReplacement(svg);
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    } catch (const std::length_error&) {
        fatalError("Out of memory", NoLine);
    }
}
