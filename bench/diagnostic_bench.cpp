// Times what "-diagnostic" adds to a run on one design, through the library
// calls: the default selection, the set that keeps every fault class made
// from it, and the covering search for a smaller one. Each benchmark
// reports the vectors it chose and, for the search, its lower bound; the
// classes of the detected faults under every vector come with the second.
//
//   diagnostic_bench --design DIR/NAME [--repetitions N] [--work N] [benchmark flags]
//
// --work sets the search's work limit (default: the run's own,
// classSearchWork).
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
#include "model/ssbdd_model.h"
#include "patterns/pattern_set.h"
#include "select/diagnostic/class_keeping.h"
#include "select/selection_options.h"
#include "select/selection_state.h"

namespace {

std::string designName;
uint64_t workLimit = 0;
SsbddModel model;
std::optional<PatternSet> patterns;
std::vector<uint32_t> defaultVectors;

const PatternSet& readOnce() {
    if (!patterns) {
        patterns = readPatternSet(designName + ".tst", model);
        defaultVectors = chosenVectors(runSelection(SelectionOptions{}, *patterns));
    }
    return *patterns;
}

void defaultSelection(benchmark::State& state) {
    const PatternSet& read = readOnce();
    for (auto _ : state) {
        SelectionState chosen = runSelection(SelectionOptions{}, read);
        benchmark::DoNotOptimize(chosen.chosenCount);
    }
    state.counters["chosen"] = static_cast<double>(defaultVectors.size());
}

void keepingClasses(benchmark::State& state) {
    const PatternSet& read = readOnce();
    ClassKeeping kept;
    for (auto _ : state) {
        kept = keepEveryClass(read.faultTable, defaultVectors);
    }
    state.counters["chosen"] = static_cast<double>(kept.vectors.size());
    state.counters["classes"] = kept.inputClasses;
}

void searchingClasses(benchmark::State& state) {
    const PatternSet& read = readOnce();
    uint64_t limit = workLimit > 0 ? workLimit : classSearchWork(read.faultTable);
    ClassKeeping kept;
    for (auto _ : state) {
        kept = keepEveryClassMinimized(read.faultTable, defaultVectors, 1, limit);
    }
    state.counters["chosen"] = static_cast<double>(kept.vectors.size());
    state.counters["bound"] = kept.lowerBound;
}

void registerAll(int repetitions) {
    auto configure = [repetitions](benchmark::internal::Benchmark* bench) {
        bench->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(repetitions)
            ->ComputeStatistics("min", [](const std::vector<double>& times) {
                return *std::min_element(times.begin(), times.end());
            })
            ->ReportAggregatesOnly(true);
    };
    configure(benchmark::RegisterBenchmark("default_selection", defaultSelection));
    configure(benchmark::RegisterBenchmark("keep_every_class", keepingClasses));
    configure(benchmark::RegisterBenchmark("keep_every_class_search", searchingClasses));
}

int run(int argc, char** argv) {
    std::vector<char*> rest{argv[0]};
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--design") == 0 && i + 1 < argc) {
            designName = argv[++i];
        } else if (std::strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc) {
            repetitions = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--work") == 0 && i + 1 < argc) {
            workLimit = std::strtoull(argv[++i], nullptr, 10);
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (designName.empty()) {
        std::fputs("usage: diagnostic_bench --design DIR/NAME [--repetitions N] [--work N] [benchmark flags]\n",
                   stderr);
        return 2;
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    model = readModel(designName + ".agm");
    registerAll(repetitions);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (patterns) {
        releasePatternSet(*patterns);
    }
    releaseModel(model);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
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
