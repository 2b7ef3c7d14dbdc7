// Model files the reader rejects: each defect with its message and line.
#include <gtest/gtest.h>

#include "base/fatal_error.h"
#include "model/ssbdd_model.h"
#include "support/tool_run.h"

namespace {

struct Rejected {
    std::string error;  // the fatal text, empty when the file was accepted
    std::string path;
};

Rejected readModelFile(const fs::path& path) {
    Rejected result;
    result.path = path.string();
    try {
        readModel(path.string());
    } catch (const FatalError& error) {
        result.error = error.text;
    }
    return result;
}

std::string errorOf(const std::string& text) {
    ScratchDir dir;
    writeFile(dir / "m.agm", text);
    return readModelFile(dir / "m.agm").error;
}

std::string atLine(int line, const std::string& message) {
    return "\nError at line " + std::to_string(line) + ": " + message + "!\n";
}
std::string corruptAt(int line) { return atLine(line, "Corrupt DD-model file"); }
std::string tooLongAt(int line) { return atLine(line, "Line too long"); }

// Lines 1-2, lines 3-5 (two inputs and a constant), lines 6-7 (a graph of two nodes).
const std::string Head = "STAT# 2, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\n";
const std::string Fixed = "VAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\nVAR# 2: (C) \"k\" =1\n";
const std::string Inputs = "VAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\n";
const std::string GraphStart = "VAR# 3: (O) \"y\"\nGRP# 0: =0 =2\n";
const std::string Node0 = "0: (I) (1 0) =0 \"a\"\n";
const std::string Node1 = "1: () (0 0) =1 \"b\"\n";
const std::string WorkedExample = "; two inputs, one constant, one graph of two nodes\n" + Head + Fixed + GraphStart + Node0 + Node1;

struct Case {
    const char* defect;
    std::string text;
    std::string error;
};

void expectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf(c.text), c.error) << c.defect;
    }
}

TEST(ModelReaderErrors, WorkedExampleWithThreeNodesDeclaredEndsInsideTheGraph) {
    std::string text = WorkedExample;
    text.replace(text.find("=0 =2"), 5, "=0 =3");
    EXPECT_EQ(errorOf(text), corruptAt(10));
    EXPECT_EQ(errorOf(WorkedExample), "");
}

TEST(ModelReaderErrors, EndOfFileOutsideAwaitVar) {
    expectAll({
        {"empty file", "", corruptAt(0)},
        {"comment lines only", "; a\n; b\n;\n", corruptAt(3)},
        {"no counts line", "hello\n\nVAR# 0: (I) \"a\"\n", corruptAt(3)},
        {"no mode line", "STAT# 2, 4, 1, 2, 1, 1\n", corruptAt(1)},
        {"mode before the counts", "MODE# STRUCTURAL\nSTAT# 2, 4, 1, 2, 1, 1\n", corruptAt(2)},
        {"indented mode", "STAT# 2, 4, 1, 2, 1, 1\n MODE# STRUCTURAL\n", corruptAt(2)},
        {"lone CR ends no line", "STAT# 2, 4, 1, 2, 1, 1\rMODE# STRUCTURAL\r", corruptAt(1)},
        {"no GRP# line", Head + Fixed + "VAR# 3: (O) \"y\"\n\n", corruptAt(7)},
        {"VAR# line in AwaitGraph skipped",
         Head + Fixed + "VAR# 3: (O) \"y\"\nVAR# 4: (O) \"z\"\n", corruptAt(7)},
        {"fewer node lines than declared", Head + Fixed + GraphStart + Node0, corruptAt(8)},
        {"node lines after comments and blanks",
         Head + Fixed + GraphStart + "\n;x\n" + Node0 + "no colon\n", corruptAt(11)},
    });
}

TEST(ModelReaderErrors, LineLength) {
    const std::string long255(255, 'x');
    expectAll({
        {"255 characters and LF", long255 + "\n", tooLongAt(1)},
        {"255 characters and CR LF", long255 + "\r\n", tooLongAt(1)},
        {"255-character comment", ";" + std::string(254, 'c') + "\n", tooLongAt(1)},
        {"255-character last line without LF", Head + Fixed + long255, tooLongAt(6)},
        {"254 characters and a CR at the end of the file", Head + std::string(254, 'x') + "\r", tooLongAt(3)},
        {"254 characters, CR, CR, LF", Head + std::string(254, 'x') + "\r\r\n", tooLongAt(3)},
        {"256 characters", Head + std::string(256, 'x') + "\n", tooLongAt(3)},
        {"very long line", Head + ";" + std::string(200000, 'x') + "\nrest\n", tooLongAt(3)},
        {"too long in the middle of a graph", Head + Fixed + GraphStart + "0: (I) (1 0) =0 \"" + long255 + "\"\n",
         tooLongAt(8)},
    });
    EXPECT_EQ(errorOf(Head + std::string(254, 'x') + "\n"), "");
    EXPECT_EQ(errorOf(Head + std::string(254, 'x')), "");
}

TEST(ModelReaderErrors, UnknownMode) {
    const std::string stat = "STAT# 2, 4, 1, 2, 1, 1\n";
    expectAll({
        {"capitalised word", stat + "MODE# Functional\n", atLine(2, "Unknown MODE# specification")},
        {"capitalised structural", "; c\n" + stat + "MODE# Structural\n", atLine(3, "Unknown MODE# specification")},
        {"no keyword", stat + "MODE#\n", atLine(2, "Unknown MODE# specification")},
        {"split keyword", stat + "MODE# STRUCT URAL\n", atLine(2, "Unknown MODE# specification")},
    });
}

TEST(ModelReaderErrors, CountsLine) {
    expectAll({
        {"fewer than five commas", "STAT# 2, 4, 1, 2, 1\nMODE# STRUCTURAL\n", corruptAt(1)},
        {"no numbers at all", ";\nSTAT#\n", corruptAt(2)},
        {"negative node count", "STAT# -1, 4, 1, 2, 1, 1\n", corruptAt(1)},
        {"negative output count", "STAT# 2, 4, 1, 2, 1, -1\n", corruptAt(1)},
        {"negative count saturated", "STAT# 2, 4, -99999999999, 2, 1, 1\n", corruptAt(1)},
        {"inputs and constants beyond the variables", "STAT# 2, 3, 1, 2, 2, 1\n", corruptAt(1)},
        {"outputs beyond the variables", "STAT# 2, 4, 1, 2, 1, 5\n", corruptAt(1)},
        {"sum beyond 32 signed bits", "STAT# 0, 5, 0, 2147483647, 2147483647, 0\n", corruptAt(1)},
        {"sum of saturated counts", "STAT# 0, 5, 0, 99999999999, 99999999999, 0\n", corruptAt(1)},
    });
    // At the limit itself the counts are fine.
    EXPECT_EQ(errorOf("STAT# 0, 4, 0, 3, 1, 4\nMODE# STRUCTURAL\n"), "");
}

TEST(ModelReaderErrors, LinesBeyondTheDeclaredCounts) {
    expectAll({
        {"VAR# beyond the variable count",
         "STAT# 0, 2, 0, 2, 0, 0\nMODE# STRUCTURAL\n" + Inputs + "VAR# 2: (I) \"c\"\nGRP# 0: =0 =1\n", corruptAt(5)},
        {"VAR# beyond the variable count, graphs still declared",
         "STAT# 2, 3, 2, 2, 0, 1\nMODE# STRUCTURAL\n" + Inputs + "VAR# 2: (O) \"y\"\nGRP# 0: =0 =1\n" +
             "0: () (0 0) =0 \"a\"\nVAR# 3: (O) \"z\"\nGRP# 1: =1 =1\n1: () (0 0) =1 \"b\"\n",
         corruptAt(8)},
        {"graph beyond the graph count, at its GRP# line",
         "STAT# 3, 5, 1, 2, 1, 1\nMODE# STRUCTURAL\n" + Fixed + GraphStart + Node0 + Node1 +
             "VAR# 4: (O) \"z\"\nGRP# 1: =2 =1\n2: () (0 0) =0 \"a\"\n",
         corruptAt(11)},
        {"node beyond the node count", "STAT# 1, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\n" + Fixed + GraphStart + Node0 + Node1,
         corruptAt(9)},
        {"node count reached in a later graph",
         "STAT# 2, 5, 2, 2, 1, 1\nMODE# STRUCTURAL\n" + Fixed + GraphStart + Node0 + Node1 +
             "VAR# 4: (O) \"z\"\nGRP# 1: =2 =1\n2: () (0 0) =0 \"a\"\n",
         corruptAt(12)},
    });
}

TEST(ModelReaderErrors, GraphLine) {
    const std::string before = Head + Fixed + "VAR# 3: (O) \"y\"\n";
    expectAll({
        {"node count 0", before + "GRP# 0: =0 =0\n" + Node0, corruptAt(7)},
        {"negative node count", before + "GRP# 0: =0 =-2\n" + Node0, corruptAt(7)},
        {"no number after the second '='", before + "GRP# 0: =0 =\n" + Node0, corruptAt(7)},
        {"one '='", before + "GRP# 0: =2\n" + Node0, corruptAt(7)},
        {"no '='", before + "GRP# 0: 2\n" + Node0, corruptAt(7)},
    });
}

TEST(ModelReaderErrors, VariableLineWithoutItsMarkers) {
    expectAll({
        {"no ':'", Head + "VAR# 0 (I) \"a\"\n", corruptAt(3)},
        {"kind group only before the ':'", Head + "VAR# (I) 0: \"a\"\n", corruptAt(3)},
        {"no ')'", Head + "VAR# 0: (I \"a\"\n", corruptAt(3)},
        {"one '\"'", Head + "VAR# 0: (I) \"a\n", corruptAt(3)},
        {"name only before the ':'", Head + "VAR# \"a\" 0: (I)\n", corruptAt(3)},
        {"constant without '='", Head + Inputs + "VAR# 2: (C) \"k\" 1\n", corruptAt(5)},
        {"constant with '=' only before the ':'", Head + Inputs + "VAR# =1 2: (C) \"k\"\n", corruptAt(5)},
    });
    // An input or graph variable needs no '='.
    EXPECT_EQ(errorOf(Head + Inputs), "");
}

TEST(ModelReaderErrors, NodeLineWithoutItsMarkers) {
    const std::string before = Head + Fixed + GraphStart;
    expectAll({
        {"no '('", before + "0: I 1 0 =0 \"a\"\n", corruptAt(8)},
        {"no ')' after the flag group", before + "0: (I (1 0 =0 \"a\"\n", corruptAt(8)},
        {"no second '('", before + "0: (I) 1 0) =0 \"a\"\n", corruptAt(8)},
        {"no white space after the first successor", before + "0: \"a\" =0 (I) (1", corruptAt(8)},
        {"no '=' after the first successor", before + "0: (I) =0 (1 0) \"a\"\n", corruptAt(8)},
        {"no name", before + "0: (I) (1 0) =0 a\n", corruptAt(8)},
        {"one '\"'", before + "0: (I) (1 0) =0 \"a\n", corruptAt(8)},
        {"the next VAR# line taken for a node", before + Node0 + "VAR# 4: (O) \"z\"\n", corruptAt(9)},
    });
}

TEST(ModelReaderErrors, FileThatCannotBeOpened) {
    ScratchDir dir;
    Rejected missing = readModelFile(dir / "none.agm");
    EXPECT_EQ(missing.error, "\nError: " + missing.path + " : Can't open DD-model file!\n");

    fs::create_directory(dir / "folder.agm");
    Rejected folder = readModelFile(dir / "folder.agm");
    EXPECT_EQ(folder.error, "\nError: " + folder.path + " : Can't open DD-model file!\n");
}

}  // namespace
