// What each speed mechanism gains: the library calls the tool makes, run with
// the mechanism on and off, in turns, for a given time. The cores of the
// benchmark machine are shared with other work, so each run is tagged with
// how idle the CPUs were just before it (over 0.3 s, from /proc/stat), and
// the report gives the minimum of each measure over the runs on an idle
// machine (at least 90 % idle), over those with about one core busy (35 to
// 65 % idle), and over all runs, each with its count of runs.
//
//   mechanisms_bench --design DIR/NAME [--minutes M]
//
// Reading and the selection are timed by the wall clock, the selection on
// one thread also by the CPU time of the thread, which other work on the
// cores disturbs less, to compare the kernel tiers.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "select/selection_for_tests.h"
#include "base/fatal_error.h"
#include "model/ssbdd_model.h"
#include "patterns/block_input.h"
#include "patterns/pattern_set.h"
#include "select/kernels/pass_worker.h"

namespace {

double clockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Idle share of all CPUs over `ms` milliseconds, in percent.
int idlePercent(int ms) {
    auto read = [](unsigned long long& total, unsigned long long& idle) {
        unsigned long long fields[8] = {};
        FILE* stat = std::fopen("/proc/stat", "r");
        if (stat == nullptr || std::fscanf(stat, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &fields[0], &fields[1],
                                           &fields[2], &fields[3], &fields[4], &fields[5], &fields[6], &fields[7]) != 8) {
            std::fputs("mechanisms_bench: /proc/stat unreadable\n", stderr);
            std::exit(2);
        }
        std::fclose(stat);
        total = 0;
        for (unsigned long long field : fields) {
            total += field;
        }
        idle = fields[3] + fields[4];
    };
    unsigned long long total0, idle0, total1, idle1;
    read(total0, idle0);
    usleep(static_cast<useconds_t>(ms) * 1000);
    read(total1, idle1);
    return total1 == total0 ? 0 : static_cast<int>(100 * (idle1 - idle0) / (total1 - total0));
}

struct Measure {
    std::string name;
    std::function<double()> run;  // one run's time in milliseconds
    std::vector<std::pair<int, double>> runs = {};  // idle percent before, time
};

void report(const Measure& measure) {
    auto best = [&](int low, int high) {
        double time = 0;
        int count = 0;
        for (auto [idle, ms] : measure.runs) {
            if (idle >= low && idle <= high) {
                time = count == 0 ? ms : std::min(time, ms);
                ++count;
            }
        }
        return std::make_pair(time, count);
    };
    auto [idle, idleRuns] = best(90, 100);
    auto [busy, busyRuns] = best(35, 65);
    auto [all, allRuns] = best(0, 100);
    std::printf("%-38s idle %8.2f ms (%3d)   one core busy %8.2f ms (%3d)   all %8.2f ms (%3d)\n", measure.name.c_str(),
                idle, idleRuns, busy, busyRuns, all, allRuns);
}

int runMechanisms(const std::string& design, double minutes) {
    SsbddModel model = readModel(design + ".agm");
    PatternSet patterns = readPatternSet(design + ".tst", model);
    const CpuTier widest = activeCpuTier();
    // Each run at `tier`, or skipped (reported as 0) when the processor lacks it.
    auto atTier = [widest](CpuTier tier, std::function<double()> run) {
        return [=] {
            if (!useCpuTier(tier)) {
                return 0.0;
            }
            double ms = run();
            useCpuTier(widest);
            return ms;
        };
    };
    auto read = [&](ReadAheadUse use) {
        return [&, use] {
            double start = clockMs(CLOCK_MONOTONIC);
            PatternSet read = readPatternSetWithBlockSize(design + ".tst", model, FileSizedBlocks, use);
            double ms = clockMs(CLOCK_MONOTONIC) - start;
            releasePatternSet(read);
            return ms;
        };
    };
    auto select = [&](bool secondThread, clockid_t clock) {
        SelectionWork work = defaultSelectionWork();
        work.secondThread = secondThread && work.secondThread;
        return [&, clock, work] {
            double start = clockMs(clock);
            runSelectionWith(SelectionOptions{}, patterns, work);
            return clockMs(clock) - start;
        };
    };
    std::vector<Measure> measures = {
        {"read, as the tool does", read(ReadAheadUse::Automatic)},
        {"read in place", read(ReadAheadUse::Never)},
        {"selection, as the tool does", select(true, CLOCK_MONOTONIC)},
        {"selection, baseline tier", atTier(CpuTier::Baseline, select(true, CLOCK_MONOTONIC))},
        {"selection, one thread", select(false, CLOCK_MONOTONIC)},
        {"selection, one thread (CPU)", select(false, CLOCK_THREAD_CPUTIME_ID)},
        {"selection, one thread, baseline (CPU)", atTier(CpuTier::Baseline, select(false, CLOCK_THREAD_CPUTIME_ID))},
    };
    double end = clockMs(CLOCK_MONOTONIC) + minutes * 60e3;
    while (clockMs(CLOCK_MONOTONIC) < end) {
        for (Measure& measure : measures) {
            int idle = idlePercent(300);
            measure.runs.emplace_back(idle, measure.run());
        }
    }
    for (const Measure& measure : measures) {
        report(measure);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string design;
    double minutes = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--design") == 0) {
            design = argv[i + 1];
        } else if (std::strcmp(argv[i], "--minutes") == 0) {
            minutes = std::atof(argv[i + 1]);
        }
    }
    if (design.empty()) {
        std::fputs("usage: mechanisms_bench --design DIR/NAME [--minutes M]\n", stderr);
        return 2;
    }
    try {
        return runMechanisms(design, minutes);
    } catch (const FatalError& error) {
        std::fputs(error.text.c_str(), stderr);
        return FatalExitStatus;
    }
}
