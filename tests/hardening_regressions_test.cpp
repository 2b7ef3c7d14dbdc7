// Faults found by the fuzzers and the sanitizer runs, each kept by a test
// that fails under the sanitize preset (or outright) if it comes back.
#include <gtest/gtest.h>

#include "patterns/pattern_set.h"

namespace {

// An empty row reserved no room, and clearing through the null pointer it
// got was undefined behaviour.
TEST(Regressions, EmptyTableRowIsStoredWithoutRoom) {
    FaultTable table;
    storeTableRow(table, 0, "");
    storeTableRow(table, 2, "01");
    storeTableRow(table, 1, "");
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0].words, 0u);
    EXPECT_EQ(table.rows[0].width, 0u);
    EXPECT_EQ(tableSymbol(table, 0, 0), 'X');
    EXPECT_EQ(tableSymbol(table, 1, 1), 'X');
    EXPECT_EQ(tableSymbol(table, 2, 0), '0');
    EXPECT_EQ(tableSymbol(table, 2, 1), '1');
}

}  // namespace
