// Storage follows what the file holds, not the declared counts: a huge
// vector count, node count, input count or constant count costs only the
// rows that are really there.
#include <gtest/gtest.h>

#include "patterns_support.h"
#include "support/stdout_capture.h"

namespace {

// A model that declares `counts` but holds no variable lines beyond `held`.
SsbddModel hugeModel(uint32_t nodes, uint32_t variables, uint32_t inputs, uint32_t constants, uint32_t held) {
    SsbddModel model;
    model.nodeCount = nodes;
    model.variableCount = variables;
    model.inputCount = inputs;
    model.constantCount = constants;
    model.outputCount = 1;
    model.variables.resize(held);
    return model;
}

PatternSet readQuietly(const fs::path& file, const SsbddModel& model) {
    return quietly([&] { return readPatternSet(file.string(), model); });
}

TEST(PatternsMemory, HugeVectorCountStoresOnlyTheRowsRead) {
    ScratchDir dir;
    SsbddModel model = exampleModel();
    // With such a count a section runs to the end of the file.
    writeFile(dir / "patterns.tst", ".VECTORS 4000000000\n.FAULTS\n&1\n.PATTERNS\n01\n10\n11\n");
    PatternSet patterns = readQuietly(dir / "patterns.tst", model);
    EXPECT_EQ(patterns.vectorCount, 4000000000u);
    EXPECT_EQ(patternRowCount(patterns), 3u);
    EXPECT_EQ(patterns.inputValues.size(), 6u);
    EXPECT_EQ(patterns.faultSummary.symbols, "&1");
    EXPECT_EQ(vectorValue(patterns, model, 2, 1), 1);
    EXPECT_EQ(vectorValue(patterns, model, 2, 2), 1) << "the constant";
    EXPECT_EQ(vectorValue(patterns, model, 3, 0), UnspecifiedValue);
    EXPECT_EQ(vectorValue(patterns, model, 3999999999u, 2), UnspecifiedValue);

    writeFile(dir / "table.tst", ".VECTORS 4000000000\n.TABLE\n01X\n\n1\n");
    PatternSet table = readQuietly(dir / "table.tst", model);
    EXPECT_EQ(table.faultTable.rows.size(), 2u);
    EXPECT_EQ(table.faultTable.chunks.size(), 1u);
    EXPECT_EQ(tableSymbol(table.faultTable, 1, 0), '1');
    EXPECT_EQ(tableSymbol(table.faultTable, 3999999999u, 0), 'X');
    EXPECT_TRUE(table.hasFaultTable);
}

TEST(PatternsMemory, HugeNodeCountStoresRowsAsLongAsTheirSymbols) {
    ScratchDir dir;
    writeFile(dir / "d.tst", ".VECTORS 2\n.TABLE\n0110\n" + std::string(1000, 'X') + "1\n.FAULTS\n&&\n");
    SsbddModel model = hugeModel(2000000000u, 2, 0, 0, 2);
    PatternSet patterns = readQuietly(dir / "d.tst", model);
    ASSERT_EQ(patterns.faultTable.rows.size(), 2u);
    EXPECT_EQ(patterns.faultTable.rows[0].words, 1u);
    EXPECT_EQ(patterns.faultTable.rows[0].width, 4u);
    EXPECT_EQ(patterns.faultTable.rows[1].words, 16u);
    EXPECT_EQ(patterns.faultTable.rows[1].width, 1u);
    EXPECT_EQ(tableSymbol(patterns.faultTable, 1, 1000), '1');
    EXPECT_EQ(patterns.faultTable.maxWords, 16u);
    EXPECT_EQ(patterns.faultSummary.symbols, "&&");
}

TEST(PatternsMemory, HugeInputCountStoresOnlyTheSymbolsRead) {
    ScratchDir dir;
    SsbddModel model = hugeModel(1, 2000000001u, 2000000000u, 0, 0);
    writeFile(dir / "cut.tst", ".VECTORS 1\n.PATTERNS\n01");
    PatternSet patterns = readQuietly(dir / "cut.tst", model);
    EXPECT_EQ(patterns.inputValues.size(), 2u);
    EXPECT_EQ(vectorValue(patterns, model, 0, 1), 1);
    EXPECT_EQ(vectorValue(patterns, model, 0, 2), UnspecifiedValue);

    writeFile(dir / "ended.tst", ".VECTORS 1\n.PATTERNS\n01\n");
    try {
        readQuietly(dir / "ended.tst", model);
        FAIL() << "a line end among the inputs is a symbol error";
    } catch (const FatalError& error) {
        EXPECT_EQ(error.text, "\nError at line 3: Unknown symbol in patterns file!\n");
    }
}

TEST(PatternsMemory, HugeConstantCountWithoutItsVariablesFailsAtTheFirstRow) {
    ScratchDir dir;
    SsbddModel model = hugeModel(1, 2000000002u, 1, 2000000000u, 3);
    model.variables[1].flags = VarConstant | VarConstOne;
    model.variables[2].flags = VarConstant | VarConstZero;
    writeFile(dir / "d.tst", ".VECTORS 1\n\n.PATTERNS\n1\n");
    try {
        readQuietly(dir / "d.tst", model);
        FAIL() << "the constants beyond the variables read have no value";
    } catch (const FatalError& error) {
        EXPECT_EQ(error.text, "\nError at line 4: Constant variable expected!\n");
    }
}

TEST(PatternsMemory, LaterVectorsHeaderFreesWhatWasRead) {
    ScratchDir dir;
    std::string rows;
    for (int v = 0; v < 3000; ++v) {
        rows += "01X10\n";
    }
    writeFile(dir / "d.tst", ".VECTORS 3000\n.TABLE\n" + rows + ".VECTORS 1\n.TABLE\n1\n");
    SsbddModel model = patternsModel(5, 2, 2, {}, 0);
    PatternSet patterns = readQuietly(dir / "d.tst", model);
    EXPECT_EQ(patterns.faultTable.rows.size(), 1u);
    EXPECT_EQ(patterns.faultTable.chunks.size(), 1u);
    EXPECT_EQ(patterns.faultTable.maxWords, 1u);
    EXPECT_TRUE(patterns.hasFaultTable);
}

}  // namespace
