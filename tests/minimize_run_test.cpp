// "-minimize" on the command line and through the binary on the benchmark
// circuits: the minimized run against the default run of the same design,
// checked from the original fault table.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <sstream>

#include "driver/options.h"
#include "support/tool_run.h"

namespace {

RunOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tvcompact");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(MinimizeOption, IsOffUnlessGiven) {
    EXPECT_FALSE(parse({"adder"}).minimize);
    EXPECT_FALSE(parse({"-fault_cover", "90", "-no_unique_vectors", "adder"}).minimize);
    EXPECT_TRUE(parse({"-minimize", "adder"}).minimize);
    EXPECT_TRUE(parse({"-fault_cover", "90", "-minimize", "-no_unique_vectors", "adder"}).minimize);
}

TEST(MinimizeOption, ComparesTheWholeNameCaseSensitively) {
    EXPECT_FALSE(parse({"-Minimize", "adder"}).minimize);
    EXPECT_FALSE(parse({"-minimise", "adder"}).minimize);
    EXPECT_FALSE(parse({"-minimizer", "adder"}).minimize);
    EXPECT_FALSE(parse({"minimize", "adder"}).minimize);
}

TEST(MinimizeOption, IsSetByADesignNameOrAValueEqualToIt) {
    RunOptions named = parse({"-minimize"});
    EXPECT_TRUE(named.minimize);
    EXPECT_EQ(named.designName, "-minimize");
    // The value of "-extension" is examined again like any argument.
    RunOptions value = parse({"-extension", "-minimize", "adder"});
    EXPECT_TRUE(value.minimize);
    EXPECT_EQ(value.patternsExtension.value_or(""), "-minimize");
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

struct Original {
    uint32_t inputCount = 0;
    std::vector<std::string> inputs;  // the first inputCount symbols of each PATTERNS row
    std::vector<std::string> table;
};

Original readOriginal(const fs::path& agm, const fs::path& tst) {
    Original original;
    std::smatch match;
    std::string model = readFile(agm);
    EXPECT_TRUE(std::regex_search(model, match, std::regex("STAT# *[0-9]+, *[0-9]+, *[0-9]+, *([0-9]+)")));
    original.inputCount = static_cast<uint32_t>(std::stoul(match[1]));
    std::string section;
    for (const std::string& line : lines(readFile(tst))) {
        if (!line.empty() && line[0] == '.') {
            section = line.substr(1, line.find(' ') - 1);
        } else if (!line.empty() && section == "PATTERNS") {
            original.inputs.push_back(line.substr(0, original.inputCount));
        } else if (!line.empty() && section == "TABLE") {
            original.table.push_back(line);
        }
    }
    return original;
}

struct RunOutput {
    std::string out;
    std::string written;
};

RunOutput runOn(const std::string& design, std::vector<std::string> args) {
    const fs::path source = fs::path(SHARED_DATA_DIR) / design;
    ScratchDir work;
    fs::copy_file(source / (design + ".agm"), work / (design + ".agm"));
    fs::copy_file(source / (design + ".tst"), work / (design + ".tst"));
    fs::permissions(work / (design + ".tst"), fs::perms::owner_read | fs::perms::owner_write);
    RunRequest request;
    request.workDir = work.path();
    request.args = std::move(args);
    request.args.push_back(design);
    BinaryResult result = runBinary(request);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return RunOutput{result.out, readFile(work / (design + ".tst"))};
}

uint32_t printedNumber(const std::string& out, const std::string& pattern) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(out, match, std::regex(pattern))) << pattern;
    return match.size() > 1 ? static_cast<uint32_t>(std::stoul(match[1])) : 0;
}

// The faults (node * 2 + fault) that the written vectors detect; the rows
// keep the file order, so each maps to the next original vector with the
// same inputs.
std::set<size_t> writtenCoverage(const Original& original, const std::string& written) {
    std::vector<std::string> rows = lines(written);
    EXPECT_GE(rows.size(), 4u);
    std::set<size_t> faults;
    size_t next = 0;
    for (size_t r = 4; r < rows.size(); ++r) {
        std::string inputs = rows[r].substr(0, original.inputCount);
        while (next < original.inputs.size() && original.inputs[next] != inputs) {
            ++next;
        }
        if (next == original.inputs.size()) {
            ADD_FAILURE() << "written row not in the original: " << rows[r];
            break;
        }
        const std::string& row = original.table[next++];
        for (size_t node = 0; node < row.size(); ++node) {
            if (row[node] == '0' || row[node] == '1') {
                faults.insert(2 * node + static_cast<size_t>(row[node] - '0'));
            }
        }
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

struct DesignCase {
    std::string design;
    std::vector<std::string> options;
};

void PrintTo(const DesignCase& designCase, std::ostream* out) {
    *out << designCase.design;
    for (const std::string& option : designCase.options) {
        *out << ' ' << option;
    }
}

class MinimizeRealDesign : public testing::TestWithParam<DesignCase> {};

TEST_P(MinimizeRealDesign, CoversWhatTheDefaultCoversWithNoMoreVectors) {
    const DesignCase& param = GetParam();
    const fs::path source = fs::path(SHARED_DATA_DIR) / param.design;
    if (!fs::exists(source)) {
        GTEST_SKIP() << "no shared data at " << source;
    }
    Original original = readOriginal(source / (param.design + ".agm"), source / (param.design + ".tst"));
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
    EXPECT_EQ(lines(minimized.written)[0], ".VECTORS " + std::to_string(chosen));
    EXPECT_EQ(lines(minimized.written).size(), 4 + size_t{chosen});

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

std::vector<DesignCase> designCases() {
    std::vector<DesignCase> cases;
    for (const char* design : {"c17", "c432", "c880", "c1908"}) {
        cases.push_back({design, {}});
        cases.push_back({design, {"-no_unique_vectors"}});
        cases.push_back({design, {"-fault_cover", "95"}});
    }
    return cases;
}

std::string caseName(const testing::TestParamInfo<DesignCase>& info) {
    std::string name = info.param.design;
    for (const std::string& option : info.param.options) {
        for (char c : option) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? std::string(1, c) : "";
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Designs, MinimizeRealDesign, testing::ValuesIn(designCases()), caseName);

}  // namespace
