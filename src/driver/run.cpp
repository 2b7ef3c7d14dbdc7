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
    writeCompactedPatterns(names.compactedFile, selection.chosen, patterns, model);
    if (options.reportPrefix) {
        writeRunReport(*options.reportPrefix, reportOf(options, selection), patterns, model);
    }

    selection = SelectionResult{};
    reportProgress("Deleting SSBDD-model from memory");
    releaseModel(model);
    reportDone();
    releasePatternSet(patterns);
    return 0;
}
