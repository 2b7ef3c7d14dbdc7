#include "driver/run.h"

#include <cstdio>

#include "base/fatal_error.h"
#include "driver/console.h"
#include "driver/file_names.h"
#include "driver/options.h"
#include "driver/statistics.h"
#include "model/ssbdd_model.h"
#include "output/compacted_writer.h"
#include "patterns/pattern_set.h"
#include "select/minimize/minimize.h"
#include "select/selection_state.h"

int runTool(int argc, const char* const* argv) {
    RunOptions options = parseCommandLine(argc, argv);
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

    SelectionState selection = runSelection(options.selection, patterns);
    uint32_t lowerBound = 0;
    if (options.minimize) {
        lowerBound = minimizeSelection(selection, patterns);
    }
    reportTime();
    printStatistics(selection.cycleCount, selection.chosenCount, selection.coveredCount,
                    model.nodeCount);
    if (options.minimize) {
        std::printf("Lower bound %u vectors\n", lowerBound);
    }
    writeCompactedPatterns(names.compactedFile, chosenVectors(selection), patterns, model);

    selection = SelectionState{};
    reportProgress("Deleting SSBDD-model from memory");
    releaseModel(model);
    reportDone();
    releasePatternSet(patterns);
    return 0;
}
