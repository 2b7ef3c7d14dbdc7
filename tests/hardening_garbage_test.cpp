// Binary garbage and NUL bytes in either file. A NUL byte is an ordinary
// character of its line to both readers; garbage ends the run with one of
// the readers' messages, never with a crash or a hang. Every run is limited
// to 2 GiB of address space.
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "support/design_run.h"

namespace {

using namespace std::string_literals;

// Two nodes; inputs a and b, the constant k = 1, the output y.
const std::string Model =
    "STAT# 2, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\nVAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\n"
    "VAR# 2: (C) \"k\" =1\nVAR# 3: (O) \"y\"\nGRP# 0: =0 =2\n0: (I) (1 0) =0 \"a\"\n1: () (0 0) =1 \"b\"\n";
// Vector 0 alone detects fault 0 of node 0; vector 1 adds nothing to it.
const std::string Patterns = ".VECTORS 2\n.PATTERNS\n01\n10\n.TABLE\n01\nX1\n.FAULTS\n&1\n";
const std::string CompleteRun = ReadModel + PatternsProgress +
                                "OK\nTime, used by process: TIME \nUsed 0 cycles\nChose 1 vectors\n"
                                "Covered 2 of 4  (i.e. 50.000000 %)\n\nDeleting SSBDD-model from memory... OK\n";
const std::string Written = ".VECTORS 1\n\n.PATTERNS\n\n01hx\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(NulBytes, InTheModelAreOrdinaryCharacters) {
    const std::pair<const char*, std::string> accepted[] = {
        {"in a variable name", replaced(Model, "\"a\"", "\"a\0b\""s)},
        {"a line of NULs before the STAT# line", "\0\0\0\n"s + Model},
        {"between MODE# and its keyword", replaced(Model, "MODE# ", "MODE#\0"s)},
        {"in a node name", replaced(Model, "=1 \"b\"", "=1 \"\0\""s)},
    };
    for (const auto& [where, model] : accepted) {
        DesignRun run = runDesign(model, Patterns);
        const BinaryResult& result = run.result;
        const std::string written = run.written();
        EXPECT_EQ(result.status, 0) << where << result.err;
        EXPECT_EQ(result.out, CompleteRun) << where;
        EXPECT_EQ(written, Written) << where;
    }
    // A NUL inside "STAT#" leaves a file without a STAT# line.
    BinaryResult result = runDesign(replaced(Model, "STAT#", "STAT\0#"s), Patterns).result;
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.out, ModelProgress);
    EXPECT_EQ(result.err, errorAt(9, "Corrupt DD-model file"));
}

TEST(NulBytes, InThePatternsFileAreOrdinaryCharacters) {
    const std::pair<const char*, std::string> accepted[] = {
        {"ending table rows", replaced(replaced(Patterns, "01\nX1", "01\0zz\nX1"s), "X1\n", "X1\0\n"s)},
        {"after a row's inputs", replaced(Patterns, "01\n10", "01\0\0\n10"s)},
        {"a line of NULs outside the sections", "\0\0\n"s + Patterns},
        {"ending the faults line", replaced(Patterns, "&1\n", "&1\0&&\n"s)},
    };
    for (const auto& [where, patterns] : accepted) {
        DesignRun run = runDesign(Model, patterns);
        const BinaryResult& result = run.result;
        const std::string written = run.written();
        EXPECT_EQ(result.status, 0) << where << result.err;
        EXPECT_EQ(result.out, CompleteRun) << where;
        EXPECT_EQ(written, Written) << where;
    }
    const std::tuple<const char*, std::string, std::string> rejected[] = {
        {"among the inputs", replaced(Patterns, "10\n", "1\0\n"s), errorAt(4, "Unknown symbol in patterns file")},
        {"in a keyword", replaced(Patterns, ".TABLE", ".TAB\0LE"s), errorAt(5, "Unknown keyword")},
        {"only NULs", std::string(1 << 20, '\0'),
         "\nError: No fault simulation data found. Please use the tvgrade command!\n"},
    };
    for (const auto& [where, patterns, error] : rejected) {
        BinaryResult result = runDesign(Model, patterns).result;
        EXPECT_EQ(result.status, 14) << where;
        EXPECT_EQ(result.err, error) << where;
    }
}

std::string randomBytes(std::mt19937& random, size_t size) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text(size, '\0');
    for (char& c : text) {
        c = static_cast<char>(byte(random));
    }
    return text;
}

// Fragments of both formats and random bytes, on short lines.
std::string tokenSoup(std::mt19937& random, size_t count) {
    static const char* const Tokens[] = {
        "STAT# ", "MODE# ", "VAR# ", "GRP# ", "STRUCTURAL", "functional", ".VECTORS ", ".PATTERNS",
        ".TABLE", ".FAULTS", ".COVERAGE", "(I)", "(C)", "()", "(0 0)", ":", "=", "=1", "\"", ",",
        "2", "4000000000", "-1", "0", "1", "X", "x", "&", "l", "H", " ", "\t", "\r", "\n", "\n", "\0",
    };
    std::uniform_int_distribution<size_t> pick(0, std::size(Tokens));
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        size_t token = pick(random);
        if (token == std::size(Tokens)) {
            text += static_cast<char>(byte(random));
        } else {
            text += Tokens[token][0] == '\0' ? "\0"s : Tokens[token];
        }
    }
    return text;
}

const std::regex ModelFailure("\nError at line [0-9]+: (Line too long|Corrupt DD-model file|Unknown MODE# specification)!\n");
const std::regex PatternsFailure(
    "\n(Error at line -?[0-9]+: (Unknown keyword|Unknown symbol in patterns file|Constant variable expected|"
    "Line of table too long|FAULTS section too long|VECTORS header expected|Invalid vector count)|"
    "Error: (Out of memory|No fault simulation data found. Please use the tvgrade command))!\n");

TEST(Garbage, InTheModelEndsWithAModelMessage) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 16; ++round) {
        std::string model = round % 2 == 0 ? randomBytes(random, 1 << 16) : "STAT# 2, 4, 1, 2, 1, 1\n" + tokenSoup(random, 4000);
        BinaryResult result = runDesign(model, Patterns).result;
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_LT(result.status, 128) << "killed by a signal";
        if (result.status == 0) {
            continue;  // the soup happened to make a valid model
        }
        EXPECT_EQ(result.status, 14);
        EXPECT_EQ(result.out, ModelProgress);
        EXPECT_TRUE(std::regex_match(result.err, ModelFailure)) << result.err;
    }
}

TEST(Garbage, InThePatternsFileEndsWithAPatternsMessageOrARun) {
    std::mt19937 random(19700101);
    for (int round = 0; round < 24; ++round) {
        std::string patterns;
        switch (round % 3) {
            case 0: patterns = randomBytes(random, 1 << 16); break;
            case 1: patterns = ".VECTORS 3\n.TABLE\n" + randomBytes(random, 1 << 12); break;
            default: patterns = tokenSoup(random, 4000); break;
        }
        BinaryResult result = runDesign(Model, patterns).result;
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_LT(result.status, 128) << "killed by a signal";
        EXPECT_TRUE(result.status == 0 || result.status == 14) << result.status;
        EXPECT_EQ(result.out.substr(0, ReadModel.size() + PatternsProgress.size()), ReadModel + PatternsProgress);
        if (result.status == 14) {
            EXPECT_TRUE(std::regex_match(result.err, PatternsFailure)) << result.err;
        }
    }
}

}  // namespace
