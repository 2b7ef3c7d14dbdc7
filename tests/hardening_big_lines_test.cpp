// Very long lines in either file, files whose real contents outgrow the
// memory the process may have, and a large design run where no thread may be
// started. Every run is limited to 2 GiB of address space; the
// memory-exhaustion runs to much less, so that the tool meets the end of its
// memory on a file of a few tens of megabytes.
#include <gtest/gtest.h>

#include <regex>

#include "patterns/block_input.h"
#include "support/design_run.h"

namespace {

constexpr size_t TenMegabytes = size_t{10} << 20;
constexpr size_t FiftyMegabytes = size_t{50} << 20;

const std::string Head = "STAT# 3, 3, 1, 2, 0, 1\nMODE# STRUCTURAL\n";
// Two thousand million nodes: no TABLE row can be too long.
const std::string WideHead = "STAT# 2000000000, 3, 1, 2, 0, 1\nMODE# STRUCTURAL\n";
const std::string Patterns = ".VECTORS 2\n.PATTERNS\n01\n10\n.TABLE\n01X\nX10\n.FAULTS\n&10\n";

TEST(TenMegabyteModelLine, IsTooLongWhereverItStands) {
    const std::string longText(TenMegabytes, 'a');
    struct Case {
        const char* where;
        std::string model;
        int line;
    };
    const Case cases[] = {
        {"a plain line", Head + longText + "\n", 3},
        {"a comment line", Head + ";" + longText + "\n", 3},
        {"the last line, without a line feed", Head + longText, 3},
        {"a line of NUL bytes", std::string(TenMegabytes, '\0') + "\n" + Head, 1},
        {"a STAT# line", "STAT# 3, 3, 1, 2, 0, 1" + longText + "\n", 1},
        {"a line of carriage returns", Head + std::string(TenMegabytes, '\r') + "\n", 3},
    };
    for (const Case& c : cases) {
        BinaryResult result = runDesign(c.model, Patterns).result;
        EXPECT_EQ(result.status, 14) << c.where;
        EXPECT_EQ(result.out, ModelProgress) << c.where;
        EXPECT_EQ(result.err, errorAt(c.line, "Line too long")) << c.where;
    }
}

TEST(FiftyMegabyteTableRow, IsTooLongForThreeNodes) {
    BinaryResult result = runDesign(Head, ".VECTORS 1\n.TABLE\n" + std::string(FiftyMegabytes, '0') + "\n").result;
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.out, ReadModel + PatternsProgress);
    EXPECT_EQ(result.err, errorAt(3, "Line of table too long"));
}

TEST(FiftyMegabyteTableRow, IsARowLikeAnyOtherWhenTheModelHasTheNodes) {
    // One vector detecting fault 0 of fifty million nodes: alone, it is essential.
    DesignRun run = runDesign(WideHead, ".VECTORS 1\n.TABLE\n" + std::string(FiftyMegabytes, '0') + "\n");
    const BinaryResult& result = run.result;
    const std::string written = run.written();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, ReadModel + PatternsProgress +
                              "OK\nTime, used by process: TIME \nUsed 0 cycles\nChose 1 vectors\n"
                              "Covered 52428800 of 4000000000  (i.e. 1.310720 %)\n"
                              "\nDeleting SSBDD-model from memory... OK\n");
    EXPECT_EQ(written, ".VECTORS 1\n\n.PATTERNS\n\nxxx\n");
}

TEST(FiftyMegabyteFaultsLine, IsTooLongForThreeNodes) {
    BinaryResult result =
        runDesign(Head, ".VECTORS 1\n.TABLE\n0\n.FAULTS\n" + std::string(FiftyMegabytes, '&') + "\n").result;
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.out, ReadModel + PatternsProgress);
    EXPECT_EQ(result.err, errorAt(5, "FAULTS section too long"));
}

TEST(FiftyMegabytePatternsLines, AreReadAsFarAsTheFormatLooks) {
    // After its inputs a row is skipped however long it is; so is a line
    // outside any section, and the rest of a header beyond what is compared.
    const std::string tail(FiftyMegabytes, 'z');
    const std::string file = ".COVERAGE " + tail + "\n" + tail + "\n.VECTORS 2\n.PATTERNS\n01" + tail +
                             "\n10\n.TABLE\n01X" + tail + "\nX10\n.FAULTS\n&10" + tail + "\n";
    DesignRun run = runDesign(Head, file);
    const BinaryResult& result = run.result;
    const std::string written = run.written();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, ReadModel + PatternsProgress +
                              "OK\nTime, used by process: TIME \nUsed 0 cycles\nChose 2 vectors\n"
                              "Covered 3 of 6  (i.e. 50.000000 %)\n\nDeleting SSBDD-model from memory... OK\n");
    EXPECT_EQ(written, ".VECTORS 2\n\n.PATTERNS\n\n01x\n10x\n");
}

// Far below what the runs above need, far above what the tool needs to start.
constexpr unsigned long SmallAddressSpace = 64UL << 20;

TEST(MemoryExhaustion, ModelOfMoreNodesThanFitIsOutOfMemoryAtTheLineBeingRead) {
    if (!AddressSpaceLimitApplies) {
        GTEST_SKIP() << "an address-space limit does not apply to a sanitizer build";
    }
    constexpr int Nodes = 2000000;
    std::string model = "STAT# " + std::to_string(Nodes) + ", 3, 1, 2, 0, 1\nMODE# STRUCTURAL\n"
                        "VAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\nVAR# 2: (O) \"y\"\nGRP# 0: =0 =" +
                        std::to_string(Nodes) + "\n";
    model.reserve(model.size() + size_t{Nodes} * 16);
    for (int n = 0; n < Nodes; ++n) {
        model += ": () (0 0) =0 \"\"\n";
    }
    BinaryResult result = runDesign(model, Patterns, {SmallAddressSpace, std::nullopt}).result;
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.out, ModelProgress);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(result.err, match, std::regex("\nError at line ([0-9]+): Out of memory!\n")))
        << result.err;
    int line = std::stoi(match[1]);
    EXPECT_GT(line, 6) << "memory runs out among the node lines";
    EXPECT_LE(line, 6 + Nodes);
}

TEST(MemoryExhaustion, FaultsLineLongerThanFitsIsOutOfMemoryWithoutALine) {
    if (!AddressSpaceLimitApplies) {
        GTEST_SKIP() << "an address-space limit does not apply to a sanitizer build";
    }
    BinaryResult result = runDesign(WideHead, ".VECTORS 1\n.TABLE\n0\n.FAULTS\n" + std::string(FiftyMegabytes, '&') + "\n",
                                    {SmallAddressSpace, std::nullopt}).result;
    EXPECT_EQ(result.status, 14);
    EXPECT_EQ(result.out, ReadModel + PatternsProgress);
    EXPECT_EQ(result.err, "\nError: Out of memory!\n");
}

TEST(MemoryExhaustion, TheSameFilesRunWithEnoughMemory) {
    // The faults line above, under 2 GiB: the run completes.
    BinaryResult result = runDesign(WideHead, ".VECTORS 1\n.TABLE\n0\n.FAULTS\n" + std::string(FiftyMegabytes, '&') + "\n").result;
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Covered 1 of 4000000000"), std::string::npos) << result.out;
}

// 4500 vectors over 2000 nodes, each detecting faults of a few dozen nodes:
// about 9 MB, read ahead by default, and a table of some 290,000 words,
// whose passes the selection shares with a second thread by default.
std::string threadedDesignPatterns() {
    constexpr uint32_t Vectors = 4500;
    constexpr uint32_t Nodes = 2000;
    std::string text = ".VECTORS " + std::to_string(Vectors) + "\n.PATTERNS\n";
    for (uint32_t v = 0; v < Vectors; ++v) {
        text += std::string(1, "01"[v % 2]) + "01"[v / 2 % 2] + "\n";
    }
    text += ".TABLE\n";
    for (uint32_t v = 0; v < Vectors; ++v) {
        std::string row(Nodes, 'X');
        for (uint32_t node = (v * 37) % 53; node < Nodes; node += 40 + (v * 11) % 31) {
            row[node] = "01"[(node + v) % 2];
        }
        text += row + "\n";
    }
    return text + ".FAULTS\n" + std::string(Nodes, '&') + "\n";
}

TEST(NoThreadStarts, LargeDesignRunsAsWithThreads) {
    const std::string model = "STAT# 2000, 40, 1, 2, 0, 1\nMODE# STRUCTURAL\n";
    const std::string patterns = threadedDesignPatterns();
    ASSERT_GE(patterns.size(), ReadAheadMinimumBlocks * DefaultBlockSize);
    DesignRun threaded = runDesign(model, patterns);
    DesignRun alone = runDesign(model, patterns, {TwoGiB, std::nullopt, true});
    ASSERT_EQ(threaded.result.status, 0) << threaded.result.err;
    EXPECT_EQ(alone.result.status, 0);
    EXPECT_EQ(alone.result.err, "");
    EXPECT_EQ(alone.result.out, threaded.result.out);
    EXPECT_TRUE(alone.files == threaded.files) << "the files after the run differ";
}

}  // namespace
