// Counts that promise far more than the files hold: the run must end with
// the fitting message, or complete where the file is valid, in a process
// limited to 2 GiB of address space, since memory follows what the files
// really hold and not what they declare.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/design_run.h"

namespace {

const std::string ReadBoth = ModelProgress + "OK\n" + PatternsProgress + "OK\n";

// Standard output of a complete run after both files were read.
std::string completeRun(unsigned cycles, unsigned chosen, unsigned covered, unsigned nodes) {
    unsigned faults = 2 * nodes;
    char covers[128];
    std::snprintf(covers, sizeof covers, "Covered %u of %u  (i.e. %f %%)\n", covered, faults,
                  static_cast<double>(covered) / static_cast<double>(faults) * 100);
    return ReadBoth + "Time, used by process: TIME \nUsed " + std::to_string(cycles) + " cycles\nChose " +
           std::to_string(chosen) + " vectors\n" + covers + "\nDeleting SSBDD-model from memory... OK\n";
}


std::string modelWithCounts(const std::string& counts) {
    // The file may end after its MODE# line: every table stays as declared and unfilled.
    return "STAT# " + counts + "\nMODE# STRUCTURAL\n";
}

// Two inputs, three nodes: both vectors are essential, three faults covered.
const std::string TwoVectors = ".VECTORS 2\n.PATTERNS\n01\n10\n.TABLE\n01X\nX10\n.FAULTS\n&10\n";
// The compacted file of TwoVectors with three variables, the last an output.
const std::string TwoVectorsWritten = ".VECTORS 2\n\n.PATTERNS\n\n01x\n10x\n";

TEST(HostileModelCounts, HugeNodeCountRunsAndReportsOverTheNodesTheTableHolds) {
    // No node has a line; the table and the summary reach three of them,
    // and the report lists those three, the plot counting their six faults.
    DesignRun run = runDesign(modelWithCounts("2000000000, 3, 1, 2, 0, 1"), TwoVectors, {}, {"-report", "r"});
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.out, completeRun(0, 2, 3, 2000000000u));
    EXPECT_EQ(run.result.err, "");
    EXPECT_EQ(run.files["design.tst"], TwoVectorsWritten);
    EXPECT_EQ(run.files["r.faults.csv"],
              "node,node_name,variable,fault,class,input_detections,chosen_detections,first_chosen_vector,status\r\n"
              "0,,,0,detectable,1,1,0,covered\r\n0,,,1,detectable,0,0,,undetected\r\n"
              "1,,,0,undetectable,0,0,,undetectable\r\n1,,,1,detectable,2,2,0,covered\r\n"
              "2,,,0,detectable,1,1,1,covered\r\n2,,,1,undetectable,0,0,,undetectable\r\n");
    EXPECT_EQ(run.files["r.vectors.csv"],
              "position,input_vector,detected_faults,unique_faults,phase,apply_order,covered_after,"
              "coverage_after_percent\r\n0,0,2,1,essential,1,2,50.000000\r\n1,1,2,1,essential,2,3,75.000000\r\n");
    EXPECT_NE(run.files["r.coverage.svg"].find("Fault coverage 50.00 % (3 of 6 faults)"), std::string::npos);
    EXPECT_EQ(run.files.size(), 5u);
}

TEST(HostileModelCounts, NodeCountBeyondThirtyOneBitsIsTakenAsTheLargestCount) {
    DesignRun run = runDesign(modelWithCounts("4000000000, 3, 1, 2, 0, 1"), TwoVectors);
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.out, completeRun(0, 2, 3, 2147483647u));
    EXPECT_EQ(run.files["design.tst"], TwoVectorsWritten);
}

TEST(HostileModelCounts, HugeGraphCountChangesNothing) {
    DesignRun run = runDesign(modelWithCounts("3, 3, 2000000000, 2, 0, 1"), TwoVectors);
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.out, completeRun(0, 2, 3, 3));
    EXPECT_EQ(run.files["design.tst"], TwoVectorsWritten);
}

TEST(HostileModelCounts, HugeInputCountMeetsTheEndOfTheFirstRow) {
    // The row's line feed is read as its third input symbol.
    DesignRun run = runDesign(modelWithCounts("3, 2000000000, 1, 2000000000, 0, 1"), TwoVectors);
    EXPECT_EQ(run.result.status, 14);
    EXPECT_EQ(run.result.out, ModelProgress + "OK\n" + PatternsProgress);
    EXPECT_EQ(run.result.err, errorAt(3, "Unknown symbol in patterns file"));
    EXPECT_EQ(run.files["design.tst"], TwoVectors);
}

TEST(HostileModelCounts, HugeConstantCountWithoutConstantLines) {
    DesignRun run = runDesign(modelWithCounts("3, 2000000000, 1, 2, 1999999998, 1"), TwoVectors);
    EXPECT_EQ(run.result.status, 14);
    EXPECT_EQ(run.result.out, ModelProgress + "OK\n" + PatternsProgress);
    EXPECT_EQ(run.result.err, errorAt(3, "Constant variable expected"));
}

TEST(HostileModelCounts, HugeVariableCountMakesRowsThatOutgrowAFileSizeLimit) {
    // Every written row has one character per declared variable: two billion
    // of them here. A file-size limit stops the write, and the file that was
    // read stays as it was.
    DesignRun run = runDesign(modelWithCounts("3, 2000000000, 1, 2, 0, 2000000000"), TwoVectors, {TwoGiB, 1UL << 20});
    EXPECT_EQ(run.result.status, 14);
    EXPECT_EQ(run.result.out.substr(0, ReadBoth.size()), ReadBoth);
    EXPECT_NE(run.result.out.find("Chose 2 vectors\n"), std::string::npos) << run.result.out;
    EXPECT_EQ(run.result.err, "\nError: design.tst : Can't write file!\n");
    EXPECT_EQ(run.files.size(), 2u) << "only the two inputs are left";
    EXPECT_EQ(run.files["design.tst"], TwoVectors);
}

// The model of two nodes, two inputs, a constant 1 and an output.
const std::string SmallModel =
    "STAT# 2, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\nVAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\n"
    "VAR# 2: (C) \"k\" =1\nVAR# 3: (O) \"y\"\nGRP# 0: =0 =2\n0: (I) (1 0) =0 \"a\"\n1: () (0 0) =1 \"b\"\n";

TEST(HostileVectorCount, FourBillionVectorsWithTwoTableRows) {
    // The TABLE section runs to the end of the file; the FAULTS line before it
    // makes three faults detectable. Vector 0 alone detects fault 0 of node 0
    // and is chosen; vector 1 adds nothing and is discarded.
    DesignRun run = runDesign(SmallModel, ".VECTORS 4000000000\n.FAULTS\n&1\n.TABLE\n01\nX1\n");
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.out, completeRun(0, 1, 2, 2));
    // Vector 0 had no PATTERNS row, so none of its positions has a value.
    EXPECT_EQ(run.files["design.tst"], ".VECTORS 1\n\n.PATTERNS\n\nxxxx\n");
}

TEST(HostileVectorCount, FourBillionVectorsTakeTheNextHeaderAsARow) {
    // The PATTERNS section wants four billion rows, so the TABLE header is its third.
    DesignRun run = runDesign(SmallModel, ".VECTORS 4000000000\n.PATTERNS\n01\n10\n.TABLE\n01\nX1\n");
    EXPECT_EQ(run.result.status, 14);
    EXPECT_EQ(run.result.out, ModelProgress + "OK\n" + PatternsProgress);
    EXPECT_EQ(run.result.err, errorAt(5, "Unknown symbol in patterns file"));
}

TEST(HostileVectorCount, LargestThirtyTwoBitCountIsAccepted) {
    DesignRun run = runDesign(SmallModel, ".VECTORS 4294967295\n.FAULTS\n&1\n.TABLE\n01\nX1\n");
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.out, completeRun(0, 1, 2, 2));
}

TEST(HostileVectorCount, CountBeyondThirtyTwoBitsIsOutOfMemory) {
    DesignRun run = runDesign(SmallModel, ".VECTORS 99999999999999999999\n.TABLE\n01\n");
    EXPECT_EQ(run.result.status, 14);
    EXPECT_EQ(run.result.out, ModelProgress + "OK\n" + PatternsProgress);
    EXPECT_EQ(run.result.err, "\nError: Out of memory!\n");
}

}  // namespace
