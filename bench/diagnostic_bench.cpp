// Times what "-diagnostic" adds to the selection on one design, through the
// selection's face: the default selection, "-diagnostic" and
// "-diagnostic -minimize". Each benchmark reports the vectors it chose, the
// classes kept and of the input, and for the search its lower bound.
//
//   diagnostic_bench --design DIR/NAME [--repetitions N] [benchmark flags]
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
#include "select/selection.h"

namespace {

std::string designName;
SsbddModel model;
std::optional<PatternSet> patterns;

const PatternSet& readOnce() {
    if (!patterns) {
        patterns = readPatternSet(designName + ".tst", model);
    }
    return *patterns;
}

void selecting(benchmark::State& state, bool diagnostic, bool minimize) {
    const PatternSet& read = readOnce();
    SelectionOptions options;
    options.diagnostic = diagnostic;
    options.minimize = minimize;
    SelectionResult result;
    for (auto _ : state) {
        result = runSelection(options, read);
    }
    state.counters["chosen"] = static_cast<double>(result.chosen.size());
    if (result.classes) {
        state.counters["classes"] = result.classes->distinguished;
        state.counters["input_classes"] = result.classes->total;
    }
    if (result.bound) {
        state.counters["bound"] = static_cast<double>(result.bound->value);
    }
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
    configure(benchmark::RegisterBenchmark("default_selection", selecting, false, false));
    configure(benchmark::RegisterBenchmark("diagnostic", selecting, true, false));
    configure(benchmark::RegisterBenchmark("diagnostic_minimize", selecting, true, true));
}

int run(int argc, char** argv) {
    std::vector<char*> rest{argv[0]};
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--design") == 0 && i + 1 < argc) {
            designName = argv[++i];
        } else if (std::strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc) {
            repetitions = std::max(1, std::atoi(argv[++i]));
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (designName.empty()) {
        std::fputs("usage: diagnostic_bench --design DIR/NAME [--repetitions N] [benchmark flags]\n",
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
