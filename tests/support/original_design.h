// The benchmark circuits as the tests' own checkers see them: the original
// patterns file read line by line with no code of the tool, the numbers the
// binary prints, and the parameters of the runs on each design.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/tool_run.h"

struct OriginalDesign {
    uint32_t inputCount = 0;
    std::vector<std::string> inputs;  // the first inputCount symbols of every PATTERNS row
    std::vector<std::string> table;   // TABLE rows as written
    std::string summary;              // the FAULTS line
};

// The folder of a real design bundled under tests/data. Throws when it is
// missing, so a test that needs the data fails instead of passing unseen.
fs::path realDesignDir(const std::string& design);

// The lines of `text`, without their line feeds.
std::vector<std::string> textLines(const std::string& text);

// Reads the input count from the model's STAT# line and the sections of the
// patterns file.
OriginalDesign readOriginal(const fs::path& agm, const fs::path& tst);

// The faults a TABLE row detects, as node * 2 + fault.
std::set<size_t> faultsOf(const std::string& row);

// The written file's vectors, mapped back to their rows by their inputs:
// the rows keep the file order. The rows end at the first empty line.
std::vector<size_t> writtenVectors(const OriginalDesign& original, const std::string& written, uint32_t chosen);

// `binary` on a copy of the bundled design in `work`, with `options`.
BinaryResult runOnCopy(const std::string& design, const std::vector<std::string>& options, const ScratchDir& work,
                       const std::string& binary = TVCOMPACT_BINARY);

// The number that group 1 of `pattern` matches in `out`; a failure when none.
uint32_t printedNumber(const std::string& out, const std::string& pattern);

// A design of the shared data and the options of one run on it.
struct DesignCase {
    std::string design;
    std::vector<std::string> options;
};

void PrintTo(const DesignCase& designCase, std::ostream* out);

// Every benchmark circuit with no option, "-no_unique_vectors" and
// "-fault_cover 95".
std::vector<DesignCase> designCases();

// The test name of a case: the design and the letters and digits of its options.
std::string designCaseName(const testing::TestParamInfo<DesignCase>& info);
