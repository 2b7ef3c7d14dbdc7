// Times the phases of one run on a design, each on its own: reading the
// patterns file, the selection, and writing the compacted file. The tool
// itself prints only the whole run's time, so the phases are measured here,
// through the same library calls the tool makes.
//
//   phases_bench --design DIR/NAME [--no-unique-vectors] [benchmark flags]
//
// The compacted file is written to DIR/NAME.phases.tst and removed at the end;
// use --benchmark_out to get the figures on their own.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "base/fatal_error.h"
#include "select/selection_options.h"
#include "model/ssbdd_model.h"
#include "output/compacted_writer.h"
#include "patterns/pattern_set.h"
#include "select/demands/demand_selection.h"
#include "select/selection.h"

namespace {

std::string designName;
SelectionOptions runOptions;
SsbddModel model;
std::optional<PatternSet> patterns;
std::optional<SelectionResult> selection;

const PatternSet& readPatternsOnce() {
    if (!patterns) {
        patterns = readPatternSet(designName + ".tst", model);
    }
    return *patterns;
}

const SelectionResult& selectOnce() {
    if (!selection) {
        selection = runSelection(runOptions, readPatternsOnce());
    }
    return *selection;
}

void readPatternsPhase(benchmark::State& state) {
    // Nothing else may hold a pattern set while this one is timed.
    selection.reset();
    if (patterns) {
        releasePatternSet(*patterns);
        patterns.reset();
    }
    for (auto _ : state) {
        PatternSet read = readPatternSet(designName + ".tst", model);
        benchmark::DoNotOptimize(read.vectorCount);
        state.PauseTiming();
        releasePatternSet(read);
        state.ResumeTiming();
    }
}

void selectionPhase(benchmark::State& state) {
    const PatternSet& read = readPatternsOnce();
    for (auto _ : state) {
        SelectionResult chosen = runSelection(runOptions, read);
        benchmark::DoNotOptimize(chosen.chosen.size());
    }
}

// The same phases run as the case of one demand per fault: what writing the
// default run that way would cost.
void selectionAsDemandsPhase(benchmark::State& state) {
    const PatternSet& read = readPatternsOnce();
    for (auto _ : state) {
        SelectionState chosen =
            runDemandSelection(runOptions, read, countDemands(read, runOptions.detections), defaultSelectionWork());
        benchmark::DoNotOptimize(chosen.chosenCount);
    }
}

void writePhase(benchmark::State& state) {
    const SelectionResult& chosen = selectOnce();
    std::string path = designName + ".phases.tst";
    for (auto _ : state) {
        writeCompactedPatterns(path, chosen.chosen, *patterns, model);
    }
    std::remove(path.c_str());
}

void registerPhases(int repetitions) {
    auto configure = [repetitions](benchmark::internal::Benchmark* bench) {
        // The minimum as well: on cores shared with other work it is the
        // figure that work disturbs least.
        bench->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(repetitions)
            ->ComputeStatistics("min", [](const std::vector<double>& times) {
                return *std::min_element(times.begin(), times.end());
            })
            ->ReportAggregatesOnly(true);
    };
    configure(benchmark::RegisterBenchmark("read_patterns", readPatternsPhase));
    configure(benchmark::RegisterBenchmark("selection", selectionPhase));
    configure(benchmark::RegisterBenchmark("selection_as_demands", selectionAsDemandsPhase));
    configure(benchmark::RegisterBenchmark("write_compacted", writePhase));
}

int runPhases(int argc, char** argv) {
    // Our own flags are taken out before the benchmark library sees the rest.
    std::vector<char*> rest{argv[0]};
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--design") == 0 && i + 1 < argc) {
            designName = argv[++i];
        } else if (std::strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc) {
            repetitions = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--no-unique-vectors") == 0) {
            runOptions.seedWithEssentialVectors = false;
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (designName.empty()) {
        std::fputs("usage: phases_bench --design DIR/NAME [--repetitions N] [--no-unique-vectors]"
                    " [benchmark flags]\n",
                    stderr);
        return 2;
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    model = readModel(designName + ".agm");
    registerPhases(repetitions);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    selection.reset();
    if (patterns) {
        releasePatternSet(*patterns);
    }
    releaseModel(model);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return runPhases(argc, argv);
    } catch (const FatalError& error) {
        std::fflush(stdout);
        std::fputs(error.text.c_str(), stderr);
        return FatalExitStatus;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fputs("\nError: Out of memory!\n", stderr);
        return FatalExitStatus;
    }
}
