// "-minimize" on the command line and through the binary on the benchmark
// circuits: the minimized run against the default run of the same design,
// checked from the original fault table.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <sstream>

#include "driver/options.h"
#include "support/original_design.h"
#include "support/tool_run.h"

namespace {

RunOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tvcompact");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(MinimizeOption, IsOffUnlessGiven) {
    EXPECT_FALSE(parse({"adder"}).selection.minimize);
    EXPECT_FALSE(parse({"-fault_cover", "90", "-no_unique_vectors", "adder"}).selection.minimize);
    EXPECT_TRUE(parse({"-minimize", "adder"}).selection.minimize);
    EXPECT_TRUE(parse({"-fault_cover", "90", "-minimize", "-no_unique_vectors", "adder"}).selection.minimize);
}

TEST(MinimizeOption, ComparesTheWholeNameCaseSensitively) {
    EXPECT_FALSE(parse({"-Minimize", "adder"}).selection.minimize);
    EXPECT_FALSE(parse({"-minimise", "adder"}).selection.minimize);
    EXPECT_FALSE(parse({"-minimizer", "adder"}).selection.minimize);
    EXPECT_FALSE(parse({"minimize", "adder"}).selection.minimize);
}

TEST(MinimizeOption, IsSetByADesignNameOrAValueEqualToIt) {
    RunOptions named = parse({"-minimize"});
    EXPECT_TRUE(named.selection.minimize);
    EXPECT_EQ(named.designName, "-minimize");
    // The value of "-extension" is examined again like any argument.
    RunOptions value = parse({"-extension", "-minimize", "adder"});
    EXPECT_TRUE(value.selection.minimize);
    EXPECT_EQ(value.patternsExtension.value_or(""), "-minimize");
}

struct RunOutput {
    std::string out;
    std::string written;
};

RunOutput runOn(const std::string& design, const std::vector<std::string>& args) {
    ScratchDir work;
    BinaryResult result = runOnCopy(design, args, work);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return RunOutput{result.out, readFile(work / (design + ".tst"))};
}

// The faults (node * 2 + fault) that the written vectors detect; the rows
// keep the file order, so each maps to the next original vector with the
// same inputs.
std::set<size_t> writtenCoverage(const OriginalDesign& original, const std::string& written) {
    std::vector<std::string> lines = textLines(written);
    EXPECT_GE(lines.size(), 4u);
    std::set<size_t> faults;
    for (size_t vector : writtenVectors(original, written, static_cast<uint32_t>(lines.size() - 4))) {
        std::set<size_t> detected = faultsOf(original.table[vector]);
        faults.insert(detected.begin(), detected.end());
    }
    return faults;
}

// The default output with the chosen and covered counts of the minimized
// set and the bound line after the coverage line.
std::string expectedMinimizedOut(const std::string& defaultOut, uint32_t chosen, uint32_t covered, uint32_t bound) {
    uint32_t faults = printedNumber(defaultOut, "Covered [0-9]+ of ([0-9]+) ");
    char coverage[128];
    std::snprintf(coverage, sizeof coverage, "Covered %u of %u  (i.e. %f %%)\nLower bound %u vectors\n", covered,
                  faults, static_cast<double>(covered) / faults * 100.0, bound);
    std::string out = std::regex_replace(defaultOut, std::regex("Chose [0-9]+ vectors\n"),
                                         "Chose " + std::to_string(chosen) + " vectors\n");
    return std::regex_replace(out, std::regex("Covered [^\n]*\n"), coverage);
}

class MinimizeRealDesign : public testing::TestWithParam<DesignCase> {};

TEST_P(MinimizeRealDesign, CoversWhatTheDefaultCoversWithNoMoreVectors) {
    const DesignCase& param = GetParam();
    const fs::path source = realDesignDir(param.design);
    OriginalDesign original = readOriginal(source / (param.design + ".agm"), source / (param.design + ".tst"));
    RunOutput plain = runOn(param.design, param.options);
    std::vector<std::string> minimizeArgs = param.options;
    minimizeArgs.push_back("-minimize");
    RunOutput minimized = runOn(param.design, minimizeArgs);

    uint32_t defaultChosen = printedNumber(plain.out, "Chose ([0-9]+) vectors\n");
    uint32_t chosen = printedNumber(minimized.out, "Chose ([0-9]+) vectors\n");
    uint32_t covered = printedNumber(minimized.out, "Covered ([0-9]+) of ");
    uint32_t bound = printedNumber(minimized.out, "\nLower bound ([0-9]+) vectors\n");
    EXPECT_LE(chosen, defaultChosen);
    EXPECT_LE(bound, chosen);
    EXPECT_EQ(minimized.out, expectedMinimizedOut(plain.out, chosen, covered, bound));
    EXPECT_EQ(textLines(minimized.written)[0], ".VECTORS " + std::to_string(chosen));
    EXPECT_EQ(textLines(minimized.written).size(), 4 + size_t{chosen});

    std::set<size_t> before = writtenCoverage(original, plain.written);
    std::set<size_t> after = writtenCoverage(original, minimized.written);
    for (size_t fault : before) {
        EXPECT_TRUE(after.count(fault)) << "fault " << fault << " no longer covered";
    }
    EXPECT_EQ(covered, after.size());

    RunOutput again = runOn(param.design, minimizeArgs);
    EXPECT_EQ(again.out, minimized.out);
    EXPECT_EQ(again.written, minimized.written);
}

INSTANTIATE_TEST_SUITE_P(Designs, MinimizeRealDesign, testing::ValuesIn(designCases()), designCaseName);

}  // namespace
