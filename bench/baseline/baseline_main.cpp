// The baseline binary: the tool's run sequence, console output and error
// handling, with the plain reader, the straightforward selection and the
// plain writer in place of the fast ones. Used for side-by-side timing.
#include "baseline_patterns.h"
#include "baseline_selection.h"
#include "base/fatal_error.h"
#include "driver/console.h"
#include "driver/fatal_exit.h"
#include "driver/file_names.h"
#include "driver/options.h"
#include "driver/statistics.h"
#include "model/ssbdd_model.h"

namespace {

int runBaselineTool(int argc, const char* const* argv) {
    RunOptions options = parseCommandLine(argc, argv);
    RunFileNames names = buildFileNames(options);
    startTimer();

    reportProgress("Reading SSBDD-model file " + names.modelFile);
    SsbddModel model = readModel(names.modelFile);
    reportDone();
    reportProgress("Reading test patterns file " + names.patternsFile);
    BaselinePatternSet patterns = readBaselinePatternSet(names.patternsFile, model);
    reportDone();
    if (!patterns.hasFaultTable) {
        fatalError("No fault simulation data found. Please use the tvgrade command", NoLine);
    }

    BaselineSelection selection =
        runBaselineSelection(options.selection, model.nodeCount, patterns.faultTable, patterns.faultSummary);
    reportTime();
    printStatistics(selection.cycleCount, selection.chosenCount, selection.coveredCount,
                    model.nodeCount);
    writeBaselineCompactedPatterns(names.compactedFile, selection.state, selection.chosenCount,
                                   patterns, model);

    selection = BaselineSelection{};
    reportProgress("Deleting SSBDD-model from memory");
    releaseModel(model);
    reportDone();
    patterns = BaselinePatternSet{};
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return runReportingFatalErrors(runBaselineTool, argc, argv); }
