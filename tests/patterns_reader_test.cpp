// The patterns reader, file text to result: every case is read by the fast
// reader at several block sizes and by the plain baseline reader, and all
// must give the result written here.
#include <gtest/gtest.h>

#include <cctype>

#include "patterns_support.h"
#include "support/stdout_capture.h"

namespace {

struct ReaderCase {
    std::string name;
    SsbddModel model;
    std::string text;
    std::string expected;  // the rendering, or "error:" and the message text
};

void PrintTo(const ReaderCase& readerCase, std::ostream* os) { *os << readerCase.name; }

const std::string WorkedExample =
    ".VECTORS 3\n.COVERAGE 100\n.PATTERNS\n01lhL\n1xhhH\n\n11\n\n.TABLE\n01X\nX10\n1XX\n.FAULTS\n&10\n";
const std::string WorkedExampleResult = "count 3 table\nV 011xx 1x1xx 111xx\nT 01X/2 X10/2 1XX/1\nF &10";

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Storage of the example model with nothing read into it.
std::string emptyStorage(uint32_t count) {
    std::string text = "count " + std::to_string(count) + "\nV";
    for (uint32_t v = 0; v < std::min(count, RenderedVectors); ++v) {
        text += " xxxxx";
    }
    text += "\nT";
    for (uint32_t v = 0; v < std::min(count, RenderedVectors); ++v) {
        text += " XXX/0";
    }
    return text + "\nF XXX";
}

// A header of `length` characters before its line end: the keyword, then blanks.
std::string paddedHeader(const std::string& keyword, size_t length) {
    return keyword + std::string(length - keyword.size(), ' ');
}

const std::string UnknownSymbol = "Unknown symbol in patterns file";

std::vector<ReaderCase> readerCases() {
    const SsbddModel ex = exampleModel();
    // 2 nodes, 4 inputs, a constant of value 0, an output.
    const SsbddModel fourInputs = patternsModel(2, 6, 4, {0}, 1);
    // 2 nodes, no inputs, a constant of value 0, an internal variable, an output.
    const SsbddModel noInputs = patternsModel(2, 3, 0, {0}, 1);
    const SsbddModel valuelessConstant = patternsModel(3, 5, 2, {-1}, 1);
    const std::string nul(1, '\0');
    return {
        {"worked_example", ex, WorkedExample, WorkedExampleResult},
        {"worked_example_upper_case_x_in_row", ex, replaceAll(WorkedExample, "1xhhH", "1XhhH"),
         readFailedAt(5, UnknownSymbol)},
        {"worked_example_crlf", ex, replaceAll(WorkedExample, "\n", "\r\n"), WorkedExampleResult},
        {"worked_example_crlf_error_line", ex, replaceAll(replaceAll(WorkedExample, "1xhhH", "1XhhH"), "\n", "\r\n"),
         readFailedAt(5, UnknownSymbol)},
        {"worked_example_without_last_line_feed", ex, WorkedExample.substr(0, WorkedExample.size() - 1),
         WorkedExampleResult},

        {"empty_file", ex, "", "count 0 nostorage"},
        {"no_header", ex, "some text\n01X\n  .VECTORS 3\n", "count 0 nostorage"},
        {"rows_beyond_the_count", ex, ".VECTORS 2\n.PATTERNS\n01\n10\n11\n.TABLE\n1\n0\n1\n",
         "count 2 table\nV 011xx 101xx\nT 1XX/1 0XX/1\nF XXX"},

        {"lower_case_keyword", ex, ".vectors 3\n", readFailedAt(1, "Unknown keyword")},
        {"mixed_case_keyword_line", ex, "\n\n.Vectors 3\n", readFailedAt(3, "Unknown keyword")},
        {"dot_alone", ex, "\n.\n", readFailedAt(2, "Unknown keyword")},
        {"keyword_shorter_than_its_compared_characters", ex, ".VECTORS 1\n.INITIAL\n", readFailedAt(2, "Unknown keyword")},
        {"tableau_opens_a_table", ex, ".VECTORS 1\n.TABLEAU\n0X1\n", "count 1 table\nV xxxxx\nT 0X1/2\nF XXX"},
        {"initial_values_and_signatures_ignored", ex, ".VECTORS 1\n.INITIAL_VALUES 7\n1X\n.SIGNATURES\n01\n",
         emptyStorage(1)},
        {"other_ignored_headers_and_functional", ex,
         ".VECTORS 1\n.FUNCTIONAL -4\n01\n.GENERATOR\n.ANALYZER\n.POLYNOMIAL\n.COVERAGE\n.PATTERNS\n10\n",
         "count 1\nV 101xx\nT XXX/0\nF XXX"},
        {"header_after_leading_blanks", ex, ".VECTORS 1\n  .PATTERNS\n01\n.TABLE\n1\n",
         "count 1 table\nV xxxxx\nT 1XX/1\nF XXX"},

        {"vectors_count_after_blanks", ex, ".VECTORS    12\n", emptyStorage(12)},
        {"vectors_count_before_words", ex, ".VECTORS 12 vectors\n", emptyStorage(12)},
        {"vectors_count_with_plus", ex, ".VECTORS\t+2\n", emptyStorage(2)},
        {"vectors_count_missing", ex, ".VECTORS\n", emptyStorage(0)},
        {"vectors_count_not_right_after_keyword", ex, ".VECTORSX5\n", emptyStorage(0)},
        {"vectors_count_ends_at_carriage_return", ex, ".VECTORS 3\r7\n", emptyStorage(3)},
        {"vectors_minus_sign_then_blank", ex, ".VECTORS - 3\n", readFailedAt(1, "Invalid vector count")},
        {"vectors_minus_sign_alone", ex, "\n.VECTORS -\n", readFailedAt(2, "Invalid vector count")},
        {"vectors_minus_sign_then_letter", ex, ".VECTORS -x\n.VECTORS 1\n", readFailedAt(1, "Invalid vector count")},
        {"vectors_two_minus_signs", ex, ".VECTORS --5\n", readFailedAt(1, "Invalid vector count")},
        {"vectors_negative_count", ex, "\n.VECTORS -3\n", readFailedAt(2, "Invalid vector count")},
        {"vectors_negative_zero", ex, ".VECTORS -0\n", readFailedAt(1, "Invalid vector count")},
        {"vectors_count_beyond_32_bits", ex, ".VECTORS 4294967296\n", "error:\nError: Out of memory!\n"},

        {"four_inputs_row_with_text_after", fourInputs, ".VECTORS 2\n.PATTERNS\n01x1 any text\nLhlH\n",
         "count 2\nV 01x10x 01010x\nT XX/0 XX/0\nF XX"},
        {"four_inputs_upper_case_x", fourInputs, ".VECTORS 1\n.PATTERNS\n01X1\n", readFailedAt(3, UnknownSymbol)},
        {"four_inputs_blank_among_inputs", fourInputs, ".VECTORS 1\n.PATTERNS\n01 x1\n", readFailedAt(3, UnknownSymbol)},
        {"four_inputs_short_row", fourInputs, ".VECTORS 1\n.PATTERNS\n01x\n", readFailedAt(3, UnknownSymbol)},
        {"row_cut_by_end_of_file", ex, ".VECTORS 1\n.PATTERNS\n0", "count 1\nV 0x1xx\nT XXX/0\nF XXX"},
        {"no_inputs_rows_take_constants_only", noInputs, ".VECTORS 2\n.PATTERNS\nanything ! at all\n#\n.TABLE\n01\n",
         "count 2 table\nV 0xx 0xx\nT 01/2 XX/0\nF XX"},
        {"constant_without_value", valuelessConstant, ".VECTORS 1\n.PATTERNS\n\n01\n",
         readFailedAt(4, "Constant variable expected")},
        {"constant_without_value_in_row_cut_short", valuelessConstant, ".VECTORS 1\n.PATTERNS\n0",
         readFailedAt(3, "Constant variable expected")},

        {"table_row_ends_at_blank", ex, ".VECTORS 2\n.TABLE\n0 1X\n-01\n",
         "count 2 table\nV xxxxx xxxxx\nT 0XX/1 XXX/0\nF XXX"},
        {"table_row_ends_at_nul", ex, ".VECTORS 1\n.TABLE\n0" + nul + "1\n", "count 1 table\nV xxxxx\nT 0XX/1\nF XXX"},
        {"table_lower_case_x_counts_in_width", ex, ".VECTORS 1\n.TABLE\n0x1\n", "count 1 table\nV xxxxx\nT 0X1/3\nF XXX"},
        {"table_and_faults_of_exactly_n", ex, ".VECTORS 1\n.TABLE\n01X\n.FAULTS\n&1x\n",
         "count 1 table\nV xxxxx\nT 01X/2\nF &1x"},
        {"table_row_of_n_plus_one", ex, ".VECTORS 1\n.TABLE\n01X1\n", readFailedAt(3, "Line of table too long")},
        {"faults_line_of_n_plus_one", ex, ".VECTORS 1\n.FAULTS\n\n&10X\n", readFailedAt(4, "FAULTS section too long")},
        {"faults_line_ends_at_other_character", ex, ".VECTORS 1\n.FAULTS\n&-1\n", "count 1\nV xxxxx\nT XXX/0\nF &XX"},
        {"header_inside_patterns_is_a_row", ex, ".VECTORS 2\n.PATTERNS\n01\n.TABLE\n1XX\n", readFailedAt(4, UnknownSymbol)},
        {"header_inside_table_is_a_row", ex, ".VECTORS 2\n.TABLE\n.FAULTS\n&10\n",
         "count 2 table\nV xxxxx xxxxx\nT XXX/0 XXX/0\nF XXX"},
        {"table_header_then_empty_lines", ex, ".VECTORS 1\n.TABLE\n\n\n", emptyStorage(1)},
        {"second_vectors_header_replaces_storage_and_forgets_the_table", ex,
         ".VECTORS 1\n.PATTERNS\n01\n.TABLE\n01X\n.FAULTS\n&10\n.VECTORS 2\n", emptyStorage(2)},
        {"table_after_second_vectors_header", ex, ".VECTORS 1\n.TABLE\n01X\n.VECTORS 1\n.TABLE\nX1\n",
         "count 1 table\nV xxxxx\nT X1X/1\nF XXX"},
        {"second_patterns_section_cut_short_keeps_earlier_inputs", ex, ".VECTORS 1\n.PATTERNS\n01\n.PATTERNS\n1",
         "count 1\nV 111xx\nT XXX/0\nF XXX"},
        {"second_table_section_keeps_tail_of_longer_row", ex, ".VECTORS 1\n.TABLE\n0xX\n.TABLE\n1\n",
         "count 1 table\nV xxxxx\nT 1XX/2\nF XXX"},
        {"second_table_section_keeps_lower_case_x_of_tail", ex, ".VECTORS 1\n.TABLE\nx1x\n.TABLE\n0X\n",
         "count 1 table\nV xxxxx\nT 0XX/2\nF XXX"},
        {"second_table_section_longer_row_replaces", ex, ".VECTORS 1\n.TABLE\n0\n.TABLE\nX1x\n",
         "count 1 table\nV xxxxx\nT X1X/2\nF XXX"},
        {"second_faults_section_keeps_tail", ex, ".VECTORS 1\n.FAULTS\n&10\n.FAULTS\n1\n", "count 1\nV xxxxx\nT XXX/0\nF 110"},

        {"header_of_126_characters", ex, paddedHeader(".COVERAGE", 126) + "\n.bogus\n", readFailedAt(2, "Unknown keyword")},
        {"header_of_127_characters_counts_its_line_end_again", ex, paddedHeader(".COVERAGE", 127) + "\n.bogus\n",
         readFailedAt(3, "Unknown keyword")},
        {"header_rest_beyond_127_is_read_as_a_header", ex, paddedHeader(".COVERAGE", 127) + ".bogus\n",
         readFailedAt(2, "Unknown keyword")},
        {"patterns_header_rest_beyond_127_is_a_row", ex, ".VECTORS 1\n" + paddedHeader(".PATTERNS", 127) + "01\n",
         "count 1\nV 011xx\nT XXX/0\nF XXX"},
        {"vectors_count_within_127_characters", ex, paddedHeader(".VECTORS", 126) + "5\n", emptyStorage(5)},
        {"vectors_count_beyond_127_characters", ex, paddedHeader(".VECTORS", 127) + "5\n.PATTERNS\n01\n",
         emptyStorage(0)},

        {"patterns_row_before_vectors", ex, ".PATTERNS\n\n01\n", readFailedAt(3, "VECTORS header expected")},
        {"table_row_before_vectors", ex, ".TABLE\n1\n", readFailedAt(2, "VECTORS header expected")},
        {"faults_line_before_vectors", ex, ".COVERAGE\n.FAULTS\n&\n", readFailedAt(3, "VECTORS header expected")},
        {"sections_without_rows_before_vectors", ex, ".PATTERNS\n\n \n", "count 0 nostorage"},
        {"count_zero_ends_sections_at_once", ex, ".VECTORS 0\n.PATTERNS\n01\n.TABLE\n01X\n.FAULTS\n&10\n",
         "count 0\nV\nT\nF &10"},
        {"compacted_file_without_rows_reads_back", ex, ".VECTORS 0\n\n.PATTERNS\n\n", emptyStorage(0)},
    };
}

class ReaderCases : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderCases, GiveTheirResultThroughBothReadersAndEveryBlockSize) {
    const ReaderCase& readerCase = GetParam();
    ScratchDir dir;
    fs::path file = dir / "design.tst";
    writeFile(file, readerCase.text);
    ReadOutcome fast = readFast(file, readerCase.model);
    EXPECT_EQ(fast.result, readerCase.expected);
    EXPECT_EQ(fast.out, "") << "the reader prints nothing";

    ReadOutcome baseline = readBaseline(file, readerCase.model);
    EXPECT_EQ(baseline.result, readerCase.expected) << "baseline reader";
    EXPECT_EQ(baseline.out, "") << "baseline reader";

    for (size_t blockSize : {1, 2, 3, 5, 7, 16, 64, 65}) {
        EXPECT_EQ(readFast(file, readerCase.model, blockSize).result, readerCase.expected) << "block size " << blockSize;
    }
}

std::string caseName(const testing::TestParamInfo<ReaderCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(File, ReaderCases, testing::ValuesIn(readerCases()), caseName);

TEST(PatternsReader, WorkedExampleValueByValue) {
    ScratchDir dir;
    writeFile(dir / "example.tst", WorkedExample);
    SsbddModel model = exampleModel();
    PatternSet patterns = quietly([&] { return readPatternSet((dir / "example.tst").string(), model); });

    EXPECT_EQ(patterns.vectorCount, 3u);
    EXPECT_TRUE(patterns.hasFaultTable);
    const uint8_t x = UnspecifiedValue;
    const uint8_t expected[3][5] = {{0, 1, 1, x, x}, {1, x, 1, x, x}, {1, 1, 1, x, x}};
    for (uint32_t v = 0; v < 3; ++v) {
        for (uint32_t k = 0; k < 5; ++k) {
            EXPECT_EQ(vectorValue(patterns, model, v, k), expected[v][k]) << "vector " << v << " position " << k;
        }
    }
    EXPECT_EQ(vectorValue(patterns, model, 3, 0), x) << "beyond the vector count";
    const char* rows[3] = {"01X", "X10", "1XX"};
    for (uint32_t v = 0; v < 3; ++v) {
        for (uint32_t node = 0; node < 3; ++node) {
            EXPECT_EQ(tableSymbol(patterns.faultTable, v, node), rows[v][node]) << "row " << v << " node " << node;
        }
    }
    ASSERT_EQ(patterns.faultTable.rows.size(), 3u);
    EXPECT_EQ(patterns.faultTable.rows[0].width, 2u);
    EXPECT_EQ(patterns.faultTable.rows[2].width, 1u);
    EXPECT_EQ(patterns.faultSummary.symbols, "&10");
    releasePatternSet(patterns);
    EXPECT_EQ(patterns.vectorCount, 0u);
    EXPECT_TRUE(patterns.faultTable.rows.empty());
    EXPECT_TRUE(patterns.inputValues.empty());
}

TEST(PatternsReader, ConstantWithBothValueBitsReadsAsZero) {
    SsbddModel model = exampleModel();
    model.variables[2].flags = VarConstant | VarConstZero | VarConstOne;
    ScratchDir dir;
    writeFile(dir / "d.tst", ".VECTORS 1\n.PATTERNS\n10\n");
    EXPECT_EQ(readFast(dir / "d.tst", model).result, "count 1\nV 100xx\nT XXX/0\nF XXX");
    EXPECT_EQ(readBaseline(dir / "d.tst", model).result, "count 1\nV 100xx\nT XXX/0\nF XXX");
}

TEST(PatternsReader, FileThatCannotBeOpened) {
    ScratchDir dir;
    SsbddModel model = exampleModel();
    for (const fs::path& path : {dir / "missing.tst", dir.path()}) {
        std::string expected = "error:\nError: " + path.string() + " : Can't open file!\n";
        EXPECT_EQ(readFast(path, model).result, expected);
        EXPECT_EQ(readBaseline(path, model).result, expected);
    }
}

}  // namespace
