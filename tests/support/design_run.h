// Runs of the binary on a design written in place as design.agm and
// design.tst, under resource limits, and the texts such runs print.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/tool_run.h"

constexpr unsigned long TwoGiB = 2UL << 30;

inline const std::string ModelProgress = "\nReading SSBDD-model file design.agm... ";
inline const std::string PatternsProgress = "\nReading test patterns file design.tst... ";
inline const std::string ReadModel = ModelProgress + "OK\n";

// The fatal text of `message` at line `line`.
std::string errorAt(int line, const std::string& message);

struct DesignLimits {
    unsigned long addressSpace = TwoGiB;
    std::optional<unsigned long> fileSize;
    // Every thread creation fails, as at a process or cgroup thread limit.
    bool noThreads = false;
};

struct DesignRun {
    BinaryResult result;
    std::map<std::string, std::string> files;  // the directory after the run
    // design.tst after the run: the compacted file, or the input left alone.
    std::string written() const;
};

// Runs `options` and then the design name.
DesignRun runDesign(const std::string& model, const std::string& patterns, DesignLimits limits = {},
                    const std::vector<std::string>& options = {});
