// The three report files: faults, vectors, coverage plot.
#include "output/run_report.h"

#include <algorithm>
#include <bit>
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

// A report file is a new file: nothing is taken from one already there.
void writeWhole(ReplacementGroup& group, const std::string& path, const std::string& text) {
    ReplacementFile& file = addReplacement(group, path, ExistingFile::NewFile);
    appendBytes(file, text.data(), text.size());
    finishReplacement(file);
}

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

// "-diagnostic": the fault's class under the chosen vectors and its size;
// both empty for a fault no input vector detects.
std::string classFields(const FaultClassNumbers& classes, size_t fault) {
    if (classes.number[fault] == NoClass) {
        return ",,";
    }
    std::string fields(1, ',');
    fields += std::to_string(classes.number[fault]);
    fields += ',';
    fields += std::to_string(classes.size[fault]);
    return fields;
}

std::string faultsCsv(const FaultTallies& tallies, const SsbddModel& model, const RunReport& report,
                      const FaultClassNumbers* classes) {
    const uint32_t detections = report.detections;
    std::string csv = "node,node_name,variable,fault,class,input_detections,chosen_detections,"
                      "first_chosen_vector,status";
    if (detections > 0) {
        csv += ",demand,demand_met";
    }
    if (classes) {
        csv += ",diagnostic_class,class_size";
    }
    csv += CsvLineEnd;
    for (uint32_t node = 0; node < model.nodeCount; ++node) {
        std::string nodeName = node < model.nodeNames.size() ? nameOrEmpty(model.nodeNames[node]) : std::string();
        std::string variable = testedVariable(model, node);
        for (uint32_t value = 0; value < 2; ++value) {
            size_t fault = faultNumber(node, value);
            uint32_t first = tallies.firstChosen[fault];
            csv += std::to_string(node) + "," + nodeName + "," + variable + "," + std::to_string(value) + "," +
                   (tallies.detectable[fault] != 0 ? "detectable" : "undetectable") + "," +
                   std::to_string(tallies.inputDetections[fault]) + "," +
                   std::to_string(tallies.chosenDetections[fault]) + "," +
                   (first == NoVector ? std::string() : std::to_string(first)) + "," + faultStatus(tallies, fault, report);
            if (detections > 0) {
                uint32_t demand = std::min(detections, tallies.inputDetections[fault]);
                csv += ',';
                csv += std::to_string(demand);
                csv += tallies.chosenDetections[fault] >= demand ? ",yes" : ",no";
            }
            if (classes) {
                csv += classFields(*classes, fault);
            }
            csv += CsvLineEnd;
        }
    }
    return csv;
}

struct VectorCounts {
    uint32_t detected = 0;
    uint32_t unique = 0;  // detected by no other chosen vector
};

VectorCounts countsOf(const PatternSet& patterns, const FaultTallies& tallies, uint32_t vector, uint32_t nodeCount) {
    VectorCounts counts;
    if (vector >= patterns.faultTable.rows.size()) {
        return counts;
    }
    forEachFault(patterns.faultTable.rows[vector], [&](uint64_t fault) {
        if (fault < 2 * uint64_t{nodeCount}) {
            ++counts.detected;
            counts.unique += tallies.chosenDetections[fault] == 1 ? 1 : 0;
        }
    });
    return counts;
}

// `classesAfter`: with "-diagnostic", the classes after each vector of the apply order.
std::string vectorsCsv(const RunReport& report, const PatternSet& patterns, const FaultTallies& tallies,
                       const ApplyOrder& order, uint32_t nodeCount, const std::vector<uint32_t>* classesAfter) {
    std::vector<std::pair<uint32_t, uint32_t>> byVector;  // (vector, its place in the apply order)
    for (uint32_t place = 0; place < order.vectors.size(); ++place) {
        byVector.push_back({order.vectors[place], place});
    }
    std::sort(byVector.begin(), byVector.end());
    auto placeOf = [&byVector](uint32_t vector) {
        return std::lower_bound(byVector.begin(), byVector.end(), std::make_pair(vector, uint32_t{0}))->second;
    };
    std::string csv = "position,input_vector,detected_faults,unique_faults,phase,apply_order,covered_after,"
                      "coverage_after_percent";
    if (classesAfter) {
        csv += ",classes_after";
    }
    csv += CsvLineEnd;
    for (size_t position = 0; position < report.chosen.size(); ++position) {
        uint32_t vector = report.chosen[position];
        uint32_t place = placeOf(vector);
        VectorCounts counts = countsOf(patterns, tallies, vector, nodeCount);
        csv += std::to_string(position) + "," + std::to_string(vector) + "," + std::to_string(counts.detected) +
               "," + std::to_string(counts.unique) + "," + choicePhaseName(report.phases[position]) + "," +
               std::to_string(place + 1) + "," + std::to_string(order.coveredAfter[place]) + "," +
               percentOf(order.coveredAfter[place], tallies.detectableCount);
        if (classesAfter) {
            csv += ',';
            csv += std::to_string((*classesAfter)[place]);
        }
        csv += CsvLineEnd;
    }
    return csv;
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
        FaultTallies tallies = tallyFaults(patterns, model.nodeCount, inFileOrder);
        std::optional<FaultClassNumbers> classes;
        if (report.diagnostic) {
            classes = numberFaultClasses(patterns, inFileOrder, model.nodeCount);
        }
        writeWhole(group, names[0], faultsCsv(tallies, model, report, classes ? &*classes : nullptr));
        ApplyOrder order = greedyApplyOrder(patterns, inFileOrder);
        std::optional<std::vector<uint32_t>> classesAfter;
        if (report.diagnostic) {
            classesAfter = classesAfterEach(patterns, order.vectors);
        }
        writeWhole(group, names[1], vectorsCsv(report, patterns, tallies, order, model.nodeCount,
                                               classesAfter ? &*classesAfter : nullptr));

        CoveragePlot plot;
        plot.title = report.designName;
        plot.cycleCount = report.cycleCount;
        plot.coveredFaults = report.coveredCount;
        plot.faultCount = 2 * uint64_t{model.nodeCount};
        plot.detectableCount = tallies.detectableCount;
        plot.detectableCovered = order.coveredAfter.empty() ? 0 : order.coveredAfter.back();
        plot.faultCoverPercent = report.faultCoverPercent;
        plot.vectorBudget = report.vectorBudget;
        plot.input = inputCoverageCurve(patterns, tallies, PlotPointsPerCurve);
        plot.chosen = sampleCurve(order.coveredAfter, PlotPointsPerCurve);
        plot.inputVectors = patterns.vectorCount;
        plot.chosenVectors = report.chosen.size();
        writeWhole(group, names[2], coveragePlotSvg(plot));
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    } catch (const std::length_error&) {
        fatalError("Out of memory", NoLine);
    }
}
