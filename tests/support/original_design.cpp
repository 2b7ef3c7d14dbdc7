#include "support/original_design.h"

#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <sstream>
#include <stdexcept>

std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

OriginalDesign readOriginal(const fs::path& agm, const fs::path& tst) {
    OriginalDesign design;
    std::smatch match;
    std::string model = readFile(agm);
    std::regex stat("STAT# *([0-9]+), *([0-9]+), *([0-9]+), *([0-9]+)");
    EXPECT_TRUE(std::regex_search(model, match, stat));
    design.inputCount = static_cast<uint32_t>(std::stoul(match[4]));
    std::string section;
    for (const std::string& line : textLines(readFile(tst))) {
        if (!line.empty() && line[0] == '.') {
            section = line.substr(1, line.find(' ') - 1);
        } else if (line.empty()) {
            continue;
        } else if (section == "PATTERNS") {
            design.inputs.push_back(line.substr(0, design.inputCount));
        } else if (section == "TABLE") {
            design.table.push_back(line);
        } else if (section == "FAULTS") {
            design.summary = line;
        }
    }
    return design;
}

std::set<size_t> faultsOf(const std::string& row) {
    std::set<size_t> faults;
    for (size_t node = 0; node < row.size(); ++node) {
        if (row[node] == '0' || row[node] == '1') {
            faults.insert(node * 2 + static_cast<size_t>(row[node] - '0'));
        }
    }
    return faults;
}

uint32_t printedNumber(const std::string& out, const std::string& pattern) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(out, match, std::regex(pattern))) << pattern;
    return match.size() > 1 ? static_cast<uint32_t>(std::stoul(match[1])) : 0;
}

void PrintTo(const DesignCase& designCase, std::ostream* out) {
    *out << designCase.design;
    for (const std::string& option : designCase.options) {
        *out << ' ' << option;
    }
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

std::string designCaseName(const testing::TestParamInfo<DesignCase>& info) {
    std::string name = info.param.design;
    for (const std::string& option : info.param.options) {
        for (char c : option) {
            if (std::isalnum(static_cast<unsigned char>(c))) {
                name += c;
            }
        }
    }
    return name;
}

fs::path realDesignDir(const std::string& design) {
    fs::path dir = fs::path(TVCOMPACT_DATA_DIR) / design;
    if (!fs::is_regular_file(dir / (design + ".agm")) || !fs::is_regular_file(dir / (design + ".tst"))) {
        throw std::runtime_error("the real design " + design + " is missing from " + dir.string());
    }
    return dir;
}

std::vector<size_t> writtenVectors(const OriginalDesign& original, const std::string& written, uint32_t chosen) {
    std::vector<std::string> lines = textLines(written);
    EXPECT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], ".VECTORS " + std::to_string(chosen));
    std::vector<size_t> picked;
    size_t next = 0;
    for (size_t k = 4; k < lines.size() && !lines[k].empty(); ++k) {
        std::string inputs = lines[k].substr(0, original.inputCount);
        while (next < original.inputs.size() && original.inputs[next] != inputs) {
            ++next;
        }
        EXPECT_LT(next, original.inputs.size()) << "written row not in the original: " << lines[k];
        picked.push_back(next++);
    }
    EXPECT_EQ(picked.size(), chosen);
    return picked;
}

BinaryResult runOnCopy(const std::string& design, const std::vector<std::string>& options, const ScratchDir& work,
                       const std::string& binary) {
    const fs::path source = realDesignDir(design);
    for (const char* extension : {".agm", ".tst"}) {
        fs::copy_file(source / (design + extension), work / (design + extension));
    }
    fs::permissions(work / (design + ".tst"), fs::perms::owner_read | fs::perms::owner_write);
    RunRequest request;
    request.workDir = work.path();
    request.args = options;
    request.args.push_back(design);
    request.binary = binary;
    return runBinary(request);
}

