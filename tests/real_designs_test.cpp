// Runs the binary on the fault-simulated benchmark circuits and checks the
// compacted file against the original fault table with a checker of its own:
// the written vectors, mapped back to their rows, must cover what the whole
// set covers (or pass the coverage limit), the counts must agree, and no
// written vector may be redundant, except the widest seed vector.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "support/original_design.h"
#include "support/tool_run.h"

namespace {

class RealDesign : public testing::TestWithParam<DesignCase> {};

TEST_P(RealDesign, WritesACoverOfWhatTheWholeSetCovers) {
    const DesignCase& param = GetParam();
    const fs::path source = realDesignDir(param.design);
    const fs::path agm = source / (param.design + ".agm");
    const fs::path tst = source / (param.design + ".tst");
    OriginalDesign original = readOriginal(agm, tst);
    ASSERT_EQ(original.inputs.size(), original.table.size());

    ScratchDir work;
    fs::copy_file(agm, work / (param.design + ".agm"));
    fs::copy_file(tst, work / (param.design + ".tst"));
    fs::permissions(work / (param.design + ".tst"), fs::perms::owner_read | fs::perms::owner_write);
    RunRequest request;
    request.workDir = work.path();
    request.args = param.options;
    request.args.push_back(param.design);
    BinaryResult result = runBinary(request);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    uint32_t chosen = printedNumber(result.out, "Chose ([0-9]+) vectors\n");
    uint32_t covered = printedNumber(result.out, "Covered ([0-9]+) of ");
    std::vector<std::string> written = textLines(readFile(work / (param.design + ".tst")));
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(written[0], ".VECTORS " + std::to_string(chosen));
    EXPECT_EQ(written[1], "");
    EXPECT_EQ(written[2], ".PATTERNS");
    EXPECT_EQ(written[3], "");
    std::vector<std::string> rows(written.begin() + 4, written.end());
    ASSERT_EQ(rows.size(), chosen);

    // Map every written row back to its vector: rows keep the file order.
    std::vector<size_t> picked;
    size_t next = 0;
    for (const std::string& row : rows) {
        std::string inputs = row.substr(0, original.inputCount);
        while (next < original.inputs.size() && original.inputs[next] != inputs) {
            ++next;
        }
        ASSERT_LT(next, original.inputs.size()) << "written row not in the original: " << row;
        picked.push_back(next++);
    }

    std::map<size_t, int> detectors;
    for (size_t vector : picked) {
        for (size_t fault : faultsOf(original.table[vector])) {
            ++detectors[fault];
        }
    }
    std::set<size_t> all;
    for (const std::string& row : original.table) {
        std::set<size_t> faults = faultsOf(row);
        all.insert(faults.begin(), faults.end());
    }
    EXPECT_EQ(covered, detectors.size());

    bool limited = false;
    for (size_t i = 0; i + 1 < param.options.size(); ++i) {
        if (param.options[i] == "-fault_cover") {
            limited = true;
            uint32_t detectable = 0;
            for (char symbol : original.summary) {
                detectable += symbol == '&' ? 2 : (symbol == '0' || symbol == '1') ? 1 : 0;
            }
            uint32_t percent = static_cast<uint32_t>(std::stoul(param.options[i + 1]));
            EXPECT_GT(covered, static_cast<uint32_t>(percent * detectable / 100.0));
        }
    }
    if (!limited) {
        EXPECT_EQ(detectors.size(), all.size());
    }

    // Only the widest seed vector may be redundant.
    bool widestSeed = std::find(param.options.begin(), param.options.end(), "-no_unique_vectors") !=
                      param.options.end();
    size_t widest = 0;
    for (size_t v = 0; v < original.table.size(); ++v) {
        if (faultsOf(original.table[v]).size() > faultsOf(original.table[widest]).size()) {
            widest = v;
        }
    }
    for (size_t vector : picked) {
        if (widestSeed && vector == widest) {
            continue;
        }
        bool needed = false;
        for (size_t fault : faultsOf(original.table[vector])) {
            needed = needed || detectors[fault] == 1;
        }
        EXPECT_TRUE(needed) << "vector " << vector << " is redundant";
    }
}

INSTANTIATE_TEST_SUITE_P(Benchmarks, RealDesign, testing::ValuesIn(designCases()), designCaseName);

}  // namespace

#ifdef TVCOMPACT_BASELINE_BINARY
namespace {

// The tool and the baseline built from the plain reader and the
// straightforward selection print the same and write the same file.
TEST_P(RealDesign, MatchesTheBaseline) {
    const DesignCase& param = GetParam();
    const fs::path source = realDesignDir(param.design);
    std::vector<BinaryResult> results;
    std::vector<std::string> files;
    for (const char* binary : {TVCOMPACT_BINARY, TVCOMPACT_BASELINE_BINARY}) {
        ScratchDir work;
        for (const char* extension : {".agm", ".tst"}) {
            fs::copy_file(source / (param.design + extension), work / (param.design + extension));
        }
        fs::permissions(work / (param.design + ".tst"), fs::perms::owner_read | fs::perms::owner_write);
        RunRequest request;
        request.workDir = work.path();
        request.args = param.options;
        request.args.push_back(param.design);
        request.binary = binary;
        results.push_back(runBinary(request));
        files.push_back(readFile(work / (param.design + ".tst")));
    }
    EXPECT_EQ(results[0].status, results[1].status);
    EXPECT_EQ(results[0].out, results[1].out);
    EXPECT_EQ(results[0].err, results[1].err);
    EXPECT_EQ(files[0], files[1]);
}

}  // namespace
#endif
