// Model files the reader accepts, and the records it builds from them.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "base/fatal_error.h"
#include "model/ssbdd_model.h"
#include "support/tool_run.h"
#include "support/stdout_capture.h"

namespace {

struct ModelRead {
    std::optional<SsbddModel> model;
    std::string error;  // standard error text of the fatal error, empty when accepted
    std::string out;    // standard output
    std::string path;   // the file read
};

ModelRead readModelText(const std::string& text) {
    ScratchDir dir;
    fs::path path = dir / "m.agm";
    writeFile(path, text);
    ModelRead result;
    result.path = path.string();
    CapturedStdout capture;
    try {
        result.model = readModel(path.string());
    } catch (const FatalError& error) {
        result.error = error.text;
    }
    result.out = capture.take();
    return result;
}

SsbddModel accepted(const std::string& text) {
    ModelRead read = readModelText(text);
    EXPECT_EQ(read.error, "") << text;
    return read.model.value_or(SsbddModel{});
}

// Every count, entry and field in one text, so that two models compare with
// a readable difference.
std::string dump(const SsbddModel& model) {
    std::ostringstream out;
    out << "counts " << model.nodeCount << ' ' << model.variableCount << ' ' << model.graphCount
        << ' ' << model.inputCount << ' ' << model.constantCount << ' ' << model.outputCount
        << " mode " << model.mode << '\n';
    for (const ModelVariable& v : model.variables) {
        out << "var " << v.flags << ' ' << (v.name ? '"' + *v.name + '"' : "none") << '\n';
    }
    for (const ModelGraph& g : model.graphs) {
        out << "graph " << g.firstNode << ' ' << g.nodeCount << '\n';
    }
    for (size_t n = 0; n < model.nodes.size(); ++n) {
        const ModelNode& node = model.nodes[n];
        out << "node " << node.flags << ' ' << node.variable << ' ' << node.firstSuccessor << ' '
            << node.secondSuccessor << ' '
            << (n < model.nodeNames.size() && model.nodeNames[n] ? '"' + *model.nodeNames[n] + '"' : "none")
            << '\n';
    }
    return out.str();
}

const std::string Head = "STAT# 2, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\n";
const std::string Fixed = "VAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\nVAR# 2: (C) \"k\" =1\n";
const std::string Graph = "VAR# 3: (O) \"y\"\nGRP# 0: =0 =2\n0: (I) (1 0) =0 \"a\"\n1: () (0 0) =1 \"b\"\n";
const std::string WorkedExample = "; two inputs, one constant, one graph of two nodes\n" + Head + Fixed + Graph;

TEST(ModelReader, ReadsTheWorkedExample) {
    ModelRead read = readModelText(WorkedExample);
    ASSERT_EQ(read.error, "");
    const SsbddModel& model = *read.model;
    EXPECT_EQ(model.nodeCount, 2u);
    EXPECT_EQ(model.variableCount, 4u);
    EXPECT_EQ(model.graphCount, 1u);
    EXPECT_EQ(model.inputCount, 2u);
    EXPECT_EQ(model.constantCount, 1u);
    EXPECT_EQ(model.outputCount, 1u);
    EXPECT_EQ(model.mode, ModeStructural);

    ASSERT_EQ(model.variables.size(), 4u);
    const uint32_t flags[] = {1, 1, 12, 2};
    const char* names[] = {"a", "b", "k", "y"};
    for (uint32_t v = 0; v < 4; ++v) {
        EXPECT_EQ(model.variables[v].flags, flags[v]) << v;
        EXPECT_EQ(variableFlags(model, v), flags[v]) << v;
        EXPECT_EQ(model.variables[v].name, names[v]) << v;
    }
    ASSERT_EQ(model.graphs.size(), 1u);
    EXPECT_EQ(model.graphs[0].firstNode, 0u);
    EXPECT_EQ(model.graphs[0].nodeCount, 2u);

    ASSERT_EQ(model.nodes.size(), 2u);
    ASSERT_EQ(model.nodeNames.size(), 2u);
    EXPECT_EQ(model.nodes[0].flags, NodeFlagI);
    EXPECT_EQ(model.nodes[0].variable, 0);
    EXPECT_EQ(model.nodes[0].firstSuccessor, 1);
    EXPECT_EQ(model.nodes[0].secondSuccessor, 0);
    EXPECT_EQ(model.nodeNames[0], "a");
    EXPECT_EQ(model.nodes[1].flags, 0u);
    EXPECT_EQ(model.nodes[1].variable, 1);
    EXPECT_EQ(model.nodes[1].firstSuccessor, 0);
    EXPECT_EQ(model.nodes[1].secondSuccessor, 0);
    EXPECT_EQ(model.nodeNames[1], "b");

    EXPECT_EQ(read.out, "") << "the reader prints nothing";
}

TEST(ModelReader, CarriageReturnsBeforeLineFeedsBelongToTheLineEnd) {
    std::string crlf;
    for (char c : WorkedExample) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    EXPECT_EQ(dump(accepted(crlf)), dump(accepted(WorkedExample)));
    // Elsewhere a carriage return is an ordinary character.
    SsbddModel model = accepted(Head + "VAR# 0: (I) \"a\rb\"\r\n");
    EXPECT_EQ(model.variables.at(0).name, "a\rb");
}

TEST(ModelReader, NulBytesAreOrdinaryCharacters) {
    SsbddModel model = accepted(Head + std::string("VAR# 0: (I)\0 \"a\0b\"\n", 19));
    ASSERT_EQ(model.variables.size(), 1u);
    EXPECT_EQ(model.variables[0].flags, VarInput);
    EXPECT_EQ(model.variables[0].name, std::string("a\0b", 3));
}

TEST(ModelReader, SkipsLinesNoStateAccepts) {
    const std::string text =
        "garbage before the counts\n\n"
        " STAT# 9, 9, 9, 9, 9, 9\n"
        "STAT# 2, 4, 1, 2, 1, 1\n"
        "STAT# 7, 7, 7, 7, 7, 7\n"
        "between counts and mode\n\n"
        "MODE# STRUCTURAL\n"
        "MODE# FUNCTIONAL\n"
        "STAT# 7, 7, 7, 7, 7, 7\n\n"
        "0: (I) (1 0) =0 \"not a node\"\n"
        "GRP# 5: =1 =1\n"
        " VAR# 0: (I) \"indented\"\n"
        "var# 0: (I) \"lower case\"\n"
        + Fixed +
        "VAR# 3: (O) \"y\"\n\n"
        "VAR# 9: (I) \"in AwaitGraph\"\n"
        "0: (I) (1 0) =0 \"in AwaitGraph\"\n"
        "GRP# 0: =0 =2\n"
        "no colon here\n\n"
        "; a comment: with a colon\n"
        "0: (I) (1 0) =0 \"a\"\n"
        "1: () (0 0) =1 \"b\"\n"
        "2: (I) (0 0) =1 \"after the last node\"\n"
        "GRP# 1: =0 =5\n";
    EXPECT_EQ(dump(accepted(text)), dump(accepted(WorkedExample)));
}

TEST(ModelReader, ModeKeywords) {
    struct Case {
        std::string line;
        int32_t mode;
    };
    const Case cases[] = {
        {"MODE# STRUCTURAL", ModeStructural},
        {"MODE# structural", ModeStructural},
        {"MODE# FUNCTIONAL", ModeFunctional},
        {"MODE# functional", ModeFunctional},
        {"MODE#functional;", ModeFunctional},
        {"MODE# structural FUNCTIONAL", ModeStructural},
        {"MODE# FUNCTIONAL structural", ModeStructural},
        {"MODE# functional STRUCTURAL", ModeStructural},
        {"MODE# xSTRUCTURALx", ModeStructural},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(accepted("STAT# 0, 0, 0, 0, 0, 0\n" + c.line + "\n").mode, c.mode) << c.line;
    }
}

TEST(ModelReader, FileEndingAfterModeKeepsTheDeclaredCounts) {
    SsbddModel model = accepted("STAT# 2, 4, 1, 2, 1, 1\nMODE# functional");
    EXPECT_EQ(dump(model), "counts 2 4 1 2 1 1 mode 1\n");
    EXPECT_EQ(variableFlags(model, 2), 0u);
}

TEST(ModelReader, ZeroCountsNeedOnlyTheInputs) {
    SsbddModel model = accepted("STAT# 0, 2, 0, 2, 0, 0\nMODE# STRUCTURAL\nVAR# 0: (I) \"a\"\nVAR# 1: (i) \"b\"\n");
    EXPECT_EQ(dump(model), "counts 0 2 0 2 0 0 mode 0\nvar 1 \"a\"\nvar 1 \"b\"\n");
}

TEST(ModelReader, UnfilledEntriesHoldNothing) {
    SsbddModel model = accepted("STAT# 5, 6, 2, 2, 2, 1\nMODE# STRUCTURAL\nVAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\nVAR# 2: (C) \"k\" =0\n");
    EXPECT_EQ(dump(model), "counts 5 6 2 2 2 1 mode 0\nvar 1 \"a\"\nvar 1 \"b\"\nvar 20 \"k\"\n");
    // The second constant never had its line: neither value bit.
    EXPECT_EQ(variableFlags(model, 3), 0u);
}

TEST(ModelReader, MemoryFollowsTheLinesNotTheDeclaredCounts) {
    SsbddModel model = accepted(
        "STAT# 2000000000, 2147483647, 2000000000, 1000000000, 1000000000, 99999999999\n"
        "MODE# STRUCTURAL\nVAR# 0: (I) \"a\"\n");
    EXPECT_EQ(model.nodeCount, 2000000000u);
    EXPECT_EQ(model.variableCount, 2147483647u);
    EXPECT_EQ(model.outputCount, 2147483647u);  // saturated
    EXPECT_EQ(model.variables.size(), 1u);
    EXPECT_LT(model.variables.capacity(), 1000u);
    EXPECT_LT(model.nodes.capacity() + model.graphs.capacity() + model.nodeNames.capacity(), 1000u);
}

TEST(ModelReader, LinesOf254CharactersAreAccepted) {
    const std::string prefix = "VAR# 0: (I) \"";
    const std::string name(254 - prefix.size() - 1, 'n');
    const std::string line = prefix + name + "\"";
    ASSERT_EQ(line.size(), 254u);
    const std::string comment = ";" + std::string(253, 'c');
    for (const std::string& end : {std::string("\n"), std::string("\r\n")}) {
        SsbddModel model = accepted(comment + end + Head + line + end);
        EXPECT_EQ(model.variables.at(0).name, name);
    }
    EXPECT_EQ(accepted(Head + line).variables.at(0).name, name);
}

TEST(ModelReader, NumbersBeforeTheFieldsAreNotRead) {
    SsbddModel model = accepted(
        "STAT# 2 nodes, 5 vars, 2, 2, 1, 1 outputs\nMODE# STRUCTURAL\n"
        "VAR# 7: (I) \"a\"\nVAR# 3: (I) \"b\"\nVAR# 9: (C) \"k\" =0\n"
        "VAR# 0: (D) \"g\"\nGRP# 5: =7 =1\n8: () (0 0) =0 \"a\"\n"
        "VAR# 1: (O) \"y\"\nGRP# 0: =0 =1\n3: (I) (0 0) =3 \"g\"\n");
    EXPECT_EQ(dump(model),
              "counts 2 5 2 2 1 1 mode 0\n"
              "var 1 \"a\"\nvar 1 \"b\"\nvar 20 \"k\"\nvar 32 \"g\"\nvar 2 \"y\"\n"
              "graph 0 1\ngraph 1 1\n"
              "node 0 0 0 0 \"a\"\nnode 1 3 0 0 \"g\"\n");
}

TEST(ModelReader, ConstantValuesFollowTheIndexRange) {
    struct Case {
        std::string line;  // the line of variable 2, the constant
        uint32_t flags;
    };
    const Case cases[] = {
        {"VAR# 2: (C) \"k\" =0", 20},
        {"VAR# 2: (C) \"k\" = 0", 20},
        {"VAR# 2: (C) \"k\" =", 20},
        {"VAR# 2: (C) \"k\" =x1", 20},
        {"VAR# 2: (C) \"k\" =00", 20},
        {"VAR# 2: (C) \"k\" =-1", 12},
        {"VAR# 2: (C) \"k\" =+7", 12},
        {"VAR# 2: (C) \"k\" =99999999999", 12},
        {"VAR# 2: (C) \"k\" =4294967296", 12},
        {"VAR# 2: =1 (C) \"k\"", 12},
        {"VAR# =0 2: (C) \"k\" =1", 12},
        {"VAR# 2: (C) \"k=0\" =1", 20},
        {"VAR# 2: () \"k\" =1", 8},
        {"VAR# 2: (IO) \"k\" =1", 11},
    };
    for (const Case& c : cases) {
        SsbddModel model = accepted(Head + "VAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\n" + c.line + "\n");
        EXPECT_EQ(variableFlags(model, 2), c.flags) << c.line;
    }
    // Outside the constant range no value bit, whatever the letters and '='.
    SsbddModel model = accepted(Head + "VAR# 0: (I) \"a\" =1\nVAR# 1: (C) \"b\" =0\n" +
                                "VAR# 2: (C) \"k\" =1\nVAR# 3: (C) \"y\" =1\nGRP# 0: =0 =1\n0: () (0 0) =0 \"a\"\n");
    EXPECT_EQ(variableFlags(model, 0), VarInput);
    EXPECT_EQ(variableFlags(model, 1), VarConstant);
    EXPECT_EQ(variableFlags(model, 3), VarConstant);
}

TEST(ModelReader, KindGroupLetters) {
    struct Case {
        std::string fields;  // after "VAR# 0: "
        uint32_t flags;
        std::string name;
    };
    const Case cases[] = {
        {"(IO) \"a\"", 3, "a"},
        {"(iocd) \"a\"", 39, "a"},
        {"(IIi x) \"a\"", 1, "a"},
        {"() \"IOCD\"", 0, "IOCD"},
        {"\"a\" (D)", 32, "a"},
        {"\"(O)\" (I)", 2, "(O)"},
        {"(I) \"\"", 1, ""},
        {"(I) \"a;b\" \"c\"", 1, "a;b"},
    };
    for (const Case& c : cases) {
        SsbddModel model = accepted(Head + "VAR# 0: " + c.fields + "\n");
        ASSERT_EQ(model.variables.size(), 1u) << c.fields;
        EXPECT_EQ(model.variables[0].flags, c.flags) << c.fields;
        EXPECT_EQ(model.variables[0].name, c.name) << c.fields;
    }
    // A kind group before the ':' is not the variable's.
    EXPECT_EQ(accepted(Head + "VAR# (O) 0: (I) \"a\"\n").variables.at(0).flags, VarInput);
}

TEST(ModelReader, NodeFieldsAreFoundByTheirMarkers) {
    struct Case {
        std::string line;
        std::string node;  // as dump() writes it
    };
    const Case cases[] = {
        {"0: (I) (1 0) =0 \"a\"", "node 1 0 1 0 \"a\""},
        {"0: (Ii) (1 0) =0 \"a\"", "node 1 0 1 0 \"a\""},
        {"0: (x) (1 0) =0 \"a\"", "node 0 0 1 0 \"a\""},
        {"0: () (  5\t-3 ) =12 \"n\"", "node 0 12 5 -3 \"n\""},
        {"0: () (7,8) =2 \"a\"", "node 0 2 7 0 \"a\""},
        {"0: (=5) (1 0) =3 \"a\"", "node 0 3 1 0 \"a\""},
        {"0: () (1 =7 0) =3 \"a\"", "node 0 7 1 0 \"a\""},
        {"0: \"q(I)\" () (1 0) =4", "node 1 4 0 0 \"q(I)\""},
        {"0: () (1 0) =0 \"\"", "node 0 0 1 0 \"\""},
        {"\"a\" () (1 0) =-6 : ", "node 0 -6 1 0 \"a\""},
    };
    for (const Case& c : cases) {
        SsbddModel model = accepted(Head + Fixed + "VAR# 3: (O) \"y\"\nGRP# 0: =0 =1\n" + c.line + "\n");
        std::string all = dump(model);
        EXPECT_EQ(all.substr(all.rfind("node ")), c.node + "\n") << c.line;
    }
}

TEST(ModelReader, ReadsTheBundledExample) {
    SsbddModel model = accepted(readFile(fs::path(TVCOMPACT_SOURCE_DIR) / "examples/c17/c17.agm"));
    EXPECT_EQ(model.nodeCount, 10u);
    EXPECT_EQ(model.variableCount, 9u);
    EXPECT_EQ(model.inputCount, 5u);
    EXPECT_EQ(model.outputCount, 2u);
    ASSERT_EQ(model.graphs.size(), 4u);
    const uint32_t first[] = {0, 2, 4, 7}, count[] = {2, 2, 3, 3};
    for (size_t g = 0; g < 4; ++g) {
        EXPECT_EQ(model.graphs[g].firstNode, first[g]) << g;
        EXPECT_EQ(model.graphs[g].nodeCount, count[g]) << g;
    }
    EXPECT_EQ(model.nodes.size(), 10u);
    EXPECT_EQ(model.nodeNames.at(9), "G7gat");
}

TEST(ReleaseModel, EmptiesTheTablesSilently) {
    SsbddModel model = accepted(WorkedExample);
    CapturedStdout capture;
    releaseModel(model);
    EXPECT_EQ(capture.take(), "");
    EXPECT_TRUE(model.variables.empty() && model.graphs.empty() && model.nodes.empty() && model.nodeNames.empty());
    EXPECT_EQ(model.nodes.capacity(), 0u);
}

}  // namespace
