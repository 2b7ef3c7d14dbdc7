#include "driver/run.h"

#include <algorithm>
#include <cstdio>

#include "base/fatal_error.h"
#include "driver/console.h"
#include "driver/file_names.h"
#include "driver/help_text.h"
#include "driver/options.h"
#include "driver/statistics.h"
#include "model/ssbdd_model.h"
#include "output/compacted_writer.h"
#include "output/replacement_group.h"
#include "output/report_tallies.h"
#include "output/run_report.h"
#include "patterns/pattern_set.h"
#include "select/choice_phases.h"
#include "select/demand_coverage.h"
#include "select/minimize/minimize.h"
#include "select/search_further.h"
#include "select/selection_state.h"

int runTool(int argc, const char* const* argv) {
    RunOptions options = parseCommandLine(argc, argv);
    if (options.showHelp || options.showVersion) {
        std::fputs(options.showHelp ? HelpText : VersionText, stdout);
        return 0;
    }
    RunFileNames names = buildFileNames(options);
    checkWrittenFiles(names, options,
                      options.reportPrefix ? reportFileNames(*options.reportPrefix) : std::vector<std::string>());
    startTimer();

    reportProgress("Reading SSBDD-model file " + names.modelFile);
    SsbddModel model = readModel(names.modelFile);
    reportDone();
    reportProgress("Reading test patterns file " + names.patternsFile);
    PatternSet patterns = readPatternSet(names.patternsFile, model);
    reportDone();
    if (!patterns.hasFaultTable) {
        fatalError("No fault simulation data found. Please use the tvgrade command", NoLine);
    }

    SelectionState selection = runSelection(options.selection, patterns);
    // The report tells which vectors the search put in place of the default set.
    std::vector<uint32_t> defaultChosen;
    if (options.minimize && options.reportPrefix) {
        defaultChosen = chosenVectors(selection);
    }
    SearchBound bound;
    if (options.minimize) {
        bound = searchFurther(selection, options.selection, patterns);
    }
    reportTime();
    printStatistics(selection.cycleCount, selection.chosenCount, selection.coveredCount,
                    model.nodeCount);
    if (options.detectionsGiven) {
        std::printf("Detected at least %u times: %u of %u faults\n", options.selection.detections,
                    detectableDetectedAtLeast(selection, patterns, options.selection.detections),
                    selection.detectableTotal);
    }
    if (options.minimize) {
        std::printf(bound.upper ? "Upper bound %llu faults\n" : "Lower bound %llu vectors\n",
                    static_cast<unsigned long long>(bound.value));
    }
    std::vector<uint32_t> chosen = chosenVectors(selection);
    std::vector<uint32_t> written =
        options.order == WrittenOrder::Coverage ? coverageOrder(patterns, model.nodeCount, chosen) : chosen;
    // Every file is complete before any is put in place.
    ReplacementGroup outputs;
    writeCompactedFile(addReplacement(outputs, names.compactedFile, ExistingFile::KeepMode), written, patterns,
                       model, options.keepTable);
    if (options.reportPrefix) {
        RunReport report;
        report.designName = options.designName;
        std::vector<ChoicePhase> phases = choicePhases(chosen, selection, options.selection, defaultChosen);
        for (uint32_t vector : written) {
            report.phases.push_back(phases[std::lower_bound(chosen.begin(), chosen.end(), vector) - chosen.begin()]);
        }
        report.chosen = std::move(written);
        report.cycleCount = selection.cycleCount;
        report.coveredCount = selection.coveredCount;
        report.detections = options.detectionsGiven ? options.selection.detections : 0;
        if (options.selection.faultCoverActive) {
            report.faultCoverPercent = options.selection.faultCoverPercent;
        }
        report.vectorBudget = options.selection.vectorBudget;
        writeRunReport(outputs, *options.reportPrefix, report, patterns, model);
    }
    replaceGroup(outputs);

    selection = SelectionState{};
    reportProgress("Deleting SSBDD-model from memory");
    releaseModel(model);
    reportDone();
    releasePatternSet(patterns);
    return 0;
}
