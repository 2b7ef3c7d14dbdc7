// Faults found by reviews, the fuzzers and the sanitizer runs, each kept by
// a test that fails under the sanitize preset (or outright) if it comes back.
#include <gtest/gtest.h>

#include "patterns/pattern_set.h"
#include "support/design_run.h"
#include "support/pattern_set_symbols.h"

namespace {

const std::string Model =
    "STAT# 2, 4, 1, 2, 1, 1\nMODE# STRUCTURAL\nVAR# 0: (I) \"a\"\nVAR# 1: (I) \"b\"\n"
    "VAR# 2: (C) \"k\" =1\nVAR# 3: (O) \"y\"\nGRP# 0: =0 =2\n0: (I) (1 0) =0 \"a\"\n1: () (0 0) =1 \"b\"\n";

// A VECTORS header that follows a fault table drops the table: when no TABLE
// row follows it, the file holds no fault simulation data, and the run stops
// instead of replacing the file with an empty set.
TEST(Regressions, VectorsHeaderAfterTheTableLeavesNoFaultData) {
    const std::string table = ".VECTORS 2\n.PATTERNS\n01\n10\n.TABLE\n01\nX1\n.FAULTS\n&1\n";
    for (const std::string& patterns : {table + ".VECTORS 2\n.PATTERNS\n11\n00\n", table + ".VECTORS 0\n"}) {
        for (const std::vector<std::string>& options : {std::vector<std::string>{}, {"-no_unique_vectors"}}) {
            SCOPED_TRACE(patterns + (options.empty() ? "" : options[0]));
            DesignRun run = runDesign(Model, patterns, {}, options);
            EXPECT_EQ(run.result.status, 14);
            EXPECT_EQ(run.result.err, "\nError: No fault simulation data found. Please use the tvgrade command!\n");
            EXPECT_EQ(run.result.out, ReadModel + PatternsProgress + "OK\n");
            EXPECT_EQ(run.files, (std::map<std::string, std::string>{{"design.agm", Model}, {"design.tst", patterns}}));
        }
    }
}

// An empty row takes no room, and copying or clearing through the null
// pointer it has would be undefined behaviour: rows read in place, and, on
// a model too wide for that, through the scratch planes.
TEST(Regressions, EmptyTableRowIsStoredWithoutRoom) {
    ScratchDir dir;
    writeFile(dir / "d.tst", ".VECTORS 3\n.TABLE\n;\n01\n=\n");
    for (uint32_t nodes : {2u, 2000000000u}) {
        SCOPED_TRACE(nodes);
        SsbddModel model;
        model.nodeCount = nodes;
        PatternSet patterns = readPatternSet((dir / "d.tst").string(), model);
        const FaultTable& table = patterns.faultTable;
        ASSERT_EQ(table.rows.size(), 3u);
        for (uint32_t empty : {0u, 2u}) {
            EXPECT_EQ(table.rows[empty].words, 0u);
            EXPECT_EQ(table.rows[empty].bits, nullptr);
            EXPECT_EQ(table.rows[empty].width, 0u);
            EXPECT_EQ(tableSymbol(table, empty, 0), 'X');
        }
        EXPECT_EQ(tableSymbol(table, 1, 0), '0');
        EXPECT_EQ(tableSymbol(table, 1, 1), '1');
    }
}

}  // namespace
