// Table-driven end-to-end cases: every folder under tests/cases is one run of
// the real binary. A folder holds
//   args                   the arguments, one per line
//   any other file         an input, copied into a scratch directory
//   expected/stdout        standard output, the time figure written as TIME
//   expected/stderr        standard error
//   expected/status        the exit status
//   expected/files/NAME    a file the run must leave with exactly this content
// After the run the scratch directory must hold exactly the inputs and the
// expected files, and every input not named under expected/files is unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "support/tool_run.h"

namespace {

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(TVCOMPACT_CASES_DIR)) {
        if (entry.is_directory()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> readArgs(const fs::path& file) {
    std::vector<std::string> args;
    std::istringstream lines(readFile(file));
    for (std::string line; std::getline(lines, line);) {
        args.push_back(line);
    }
    return args;
}

class CaseFolder : public testing::TestWithParam<std::string> {};

TEST_P(CaseFolder, RunsAsExpected) {
    const fs::path folder = fs::path(TVCOMPACT_CASES_DIR) / GetParam();
    const fs::path expected = folder / "expected";
    ASSERT_TRUE(fs::exists(folder / "args")) << "case without args";
    ASSERT_TRUE(fs::exists(expected / "status")) << "case without expected/status";

    ScratchDir work;
    std::map<std::string, std::string> inputs;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "args") {
            inputs[name] = readFile(entry.path());
            fs::copy_file(entry.path(), work / name);
        }
    }

    RunRequest request;
    request.workDir = work.path();
    request.args = readArgs(folder / "args");
    BinaryResult result = runBinary(request);

    EXPECT_EQ(std::to_string(result.status) + "\n", readFile(expected / "status"));
    EXPECT_EQ(result.out, readFile(expected / "stdout"));
    EXPECT_EQ(result.err, readFile(expected / "stderr"));

    std::map<std::string, std::string> wanted = inputs;
    if (fs::exists(expected / "files")) {
        for (const auto& entry : fs::directory_iterator(expected / "files")) {
            wanted[entry.path().filename().string()] = readFile(entry.path());
        }
    }
    std::map<std::string, std::string> left = directoryFiles(work.path());
    for (const auto& [name, content] : wanted) {
        ASSERT_TRUE(left.count(name)) << name << " is missing after the run";
        EXPECT_EQ(left[name], content) << "content of " << name;
    }
    for (const auto& [name, content] : left) {
        EXPECT_TRUE(wanted.count(name)) << "the run left an unexpected file " << name;
    }
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseFolder, testing::ValuesIn(caseNames()), testName);

}  // namespace
