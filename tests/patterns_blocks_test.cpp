// The reader on generated files cut at block boundaries everywhere: every
// block size from 1 to 150 (and a few larger ones) gives the very result of
// the plain reader, errors and their lines included.
#include <gtest/gtest.h>

#include <cstdint>

#include "patterns_support.h"
#include "support/original_design.h"
#include "support/stdout_capture.h"

namespace {

constexpr uint32_t Nodes = 300;
constexpr uint32_t Inputs = 20;
constexpr uint32_t Variables = 40;
constexpr uint32_t Vectors = 40;

SsbddModel blocksModel() { return patternsModel(Nodes, Variables, Inputs, {0, 1}, 5); }

struct Random {
    uint64_t state;
    uint32_t below(uint32_t bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>((state >> 33) % bound);
    }
    char pick(const std::string& symbols) { return symbols[below(static_cast<uint32_t>(symbols.size()))]; }
};

std::string lineEnd(Random& random) {
    static const char* const ends[] = {"\n", "\r\n", " rest of the line\n", "-\n", "\n\n", "\n \t\n"};
    return ends[random.below(6)];
}

// A file with every section, mixed line ends and blank lines, TABLE rows of
// every length up to the node count, and a second TABLE section that the end
// of the file cuts short, rewriting the first rows with shorter ones.
std::string generatedFile(uint64_t seed) {
    Random random{seed};
    std::string text = ".VECTORS " + std::to_string(Vectors) + "\n.COVERAGE 99.5\n\n.PATTERNS\n";
    for (uint32_t v = 0; v < Vectors; ++v) {
        for (uint32_t k = 0; k < Inputs; ++k) {
            text += random.pick("01xLlHh");
        }
        for (uint32_t k = Inputs; k < Variables; ++k) {
            text += random.pick("lhxLH");
        }
        text += lineEnd(random);
    }
    text += ".TABLE\n";
    for (uint32_t v = 0; v < Vectors; ++v) {
        uint32_t length = random.below(4) == 0 ? random.below(Nodes + 1) : Nodes;
        for (uint32_t node = 0; node < length; ++node) {
            text += random.pick(random.below(8) == 0 ? "x01" : "XXXXXX01");
        }
        text += lineEnd(random);
    }
    std::string summary;
    for (uint32_t node = 0; node < Nodes; ++node) {
        summary += random.pick("&01XXx");
    }
    text += ".FAULTS\n" + summary + "\n.TABLE\n";
    for (uint32_t v = 0; v < 6; ++v) {
        uint32_t length = random.below(Nodes);
        for (uint32_t node = 0; node < length; ++node) {
            text += random.pick("01XX");
        }
        text += lineEnd(random);
    }
    return text;
}

// Replaces the text of line `line` (1-based) of `text`.
std::string withLine(const std::string& text, int line, const std::string& replacement) {
    size_t start = 0;
    for (int current = 1; current < line; ++current) {
        start = text.find('\n', start) + 1;
    }
    size_t end = text.find('\n', start);
    return text.substr(0, start) + replacement + text.substr(end);
}

// The 1-based number of the line that holds `needle`.
int lineOf(const std::string& text, const std::string& needle) {
    size_t at = text.find(needle);
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

void expectSameAtEveryBlockSize(const std::string& text, const std::string& expectedError = "") {
    ScratchDir dir;
    fs::path file = dir / "generated.tst";
    writeFile(file, text);
    SsbddModel model = blocksModel();
    std::string reference = readBaseline(file, model, Vectors).result;
    if (expectedError.empty()) {
        ASSERT_EQ(reference.rfind("count 40 table", 0), 0u) << reference;
    } else {
        ASSERT_EQ(reference, expectedError);
    }
    EXPECT_EQ(readFast(file, model, 0, Vectors).result, reference) << "default block size";
    // Read in place and read ahead by the second thread, which hands the
    // blocks over one by one.
    for (ReadAheadUse use : {ReadAheadUse::Never, ReadAheadUse::Always}) {
        const char* how = use == ReadAheadUse::Never ? "in place" : "read ahead";
        for (size_t blockSize = 1; blockSize <= 150; ++blockSize) {
            ASSERT_EQ(readFast(file, model, blockSize, Vectors, use).result, reference)
                << how << ", block size " << blockSize;
        }
        for (size_t blockSize : {255, 256, 1000, 4096}) {
            ASSERT_EQ(readFast(file, model, blockSize, Vectors, use).result, reference)
                << how << ", block size " << blockSize;
        }
    }
}

TEST(PatternsBlocks, GeneratedFilesReadAlikeAtEveryBlockSize) {
    for (uint64_t seed : {1, 2, 3}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        expectSameAtEveryBlockSize(generatedFile(seed));
    }
}

TEST(PatternsBlocks, ErrorsKeepTheirLineAtEveryBlockSize) {
    const std::string text = generatedFile(4);
    const int patternsHeader = lineOf(text, ".PATTERNS");
    const int tableHeader = lineOf(text, ".TABLE");
    const int faultsHeader = lineOf(text, ".FAULTS");

    std::string badSymbol = withLine(text, patternsHeader + 1, "0101010101X101010101");
    expectSameAtEveryBlockSize(badSymbol, readFailedAt(patternsHeader + 1, "Unknown symbol in patterns file"));

    std::string longRow = withLine(text, tableHeader + 1, std::string(Nodes, 'X') + "1");
    expectSameAtEveryBlockSize(longRow, readFailedAt(tableHeader + 1, "Line of table too long"));

    std::string longSummary = withLine(text, faultsHeader + 1, std::string(Nodes + 1, '&'));
    expectSameAtEveryBlockSize(longSummary, readFailedAt(faultsHeader + 1, "FAULTS section too long"));
}

}  // namespace

namespace {

// The real circuits' files read alike by both readers, whole, at a small and
// at the normal block size.
TEST(PatternsBlocks, RealDesignsReadAlikeByBothReaders) {
    for (const char* design : {"c17", "c432", "c880", "c1908"}) {
        SCOPED_TRACE(design);
        fs::path base = realDesignDir(design) / design;
        SsbddModel model = quietly([&] { return readModel(base.string() + ".agm"); });
        fs::path file = base.string() + ".tst";
        std::string reference = readBaseline(file, model, UINT32_MAX).result;
        ASSERT_EQ(reference.rfind("count ", 0), 0u) << reference.substr(0, 200);
        EXPECT_NE(reference.find(" table\n"), std::string::npos);
        EXPECT_EQ(readFast(file, model, 0, UINT32_MAX).result, reference);
        EXPECT_EQ(readFast(file, model, 4093, UINT32_MAX).result, reference);
    }
}

}  // namespace
