#include "driver/run.h"

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
#include "output/run_report.h"
#include "patterns/pattern_set.h"
#include "select/selection.h"

namespace {

RunReport reportOf(const RunOptions& options, const SelectionResult& selection) {
    RunReport report;
    report.designName = options.designName;
    report.chosen = selection.chosen;
    report.phases = selection.phases;
    report.cycleCount = selection.cycleCount;
    report.coveredCount = selection.coveredCount;
    report.detections = options.selection.detectionsGiven ? options.selection.detections : 0;
    report.faultCoverActive = options.selection.faultCoverActive;
    report.budgetBinds = selection.budgetBinds;
    report.diagnostic = options.selection.diagnostic;
    if (options.selection.faultCoverActive) {
        report.faultCoverPercent = options.selection.faultCoverPercent;
    }
    report.vectorBudget = options.selection.vectorBudget;
    return report;
}

}  // namespace

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

    SelectionResult selection = runSelection(options.selection, patterns);
    reportTime();
    printStatistics(selection.cycleCount, static_cast<uint32_t>(selection.chosen.size()), selection.coveredCount,
                    model.nodeCount);
    printFigures(selection);
    // Every file is complete before any is put in place.
    ReplacementGroup outputs;
    writeCompactedFile(addReplacement(outputs, names.compactedFile, ExistingFile::KeepMode), selection.chosen,
                       patterns, model, options.keepTable);
    if (options.reportPrefix) {
        writeRunReport(outputs, *options.reportPrefix, reportOf(options, selection), patterns, model);
    }
    replaceGroup(outputs);

    selection = SelectionResult{};
    reportProgress("Deleting SSBDD-model from memory");
    releaseModel(model);
    reportDone();
    releasePatternSet(patterns);
    return 0;
}
