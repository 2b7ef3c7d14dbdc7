// The TABLE row scan gives the planes and the stop of the symbols'
// definition: runs of every length, at every bit offset, ended by every kind
// of byte at every position.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "patterns/table_row_scan.h"

namespace {

struct ScanResult {
    size_t taken = 0;
    std::vector<uint64_t> fault0, fault1, lowerX;
    bool operator==(const ScanResult&) const = default;
};

ScanResult emptyResult(const std::string& text, uint64_t first) {
    size_t words = (first + text.size()) / 64 + 2;
    ScanResult result;
    result.fault0.assign(words, 0);
    result.fault1.assign(words, 0);
    result.lowerX.assign(words, 0);
    return result;
}

ScanResult scan(const std::string& text, uint64_t first) {
    ScanResult result = emptyResult(text, first);
    RowPlanes planes{result.fault0.data(), result.fault1.data(), result.lowerX.data()};
    result.taken = scanTableSymbols(text.data(), text.size(), planes, first);
    return result;
}

// Symbol by symbol, as the planes are defined.
ScanResult definedScan(const std::string& text, uint64_t first) {
    ScanResult result = emptyResult(text, first);
    for (; result.taken < text.size(); ++result.taken) {
        uint64_t node = first + result.taken;
        uint64_t bit = uint64_t{1} << (node % 64);
        char symbol = text[result.taken];
        if (symbol == '0') {
            result.fault0[node / 64] |= bit;
        } else if (symbol == '1') {
            result.fault1[node / 64] |= bit;
        } else if (symbol == 'x') {
            result.lowerX[node / 64] |= bit;
        } else if (symbol != 'X') {
            break;
        }
    }
    return result;
}

struct Random {
    uint64_t state;
    uint32_t below(uint32_t bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>((state >> 33) % bound);
    }
};

TEST(TableRowScan, ClassifiesAndStops) {
    ScanResult result = scan("01Xx1\n0", 62);
    EXPECT_EQ(result.taken, 5u);
    EXPECT_EQ(result.fault0[0], uint64_t{1} << 62);
    EXPECT_EQ(result.fault1[0], uint64_t{1} << 63);
    EXPECT_EQ(result.fault1[1], uint64_t{1} << 2);
    EXPECT_EQ(result.lowerX[1], uint64_t{1} << 1);
    EXPECT_EQ(result.fault0[1], 0u) << "the '0' after the line end is not taken";
}

TEST(TableRowScan, RunsOfEveryLengthAtEveryOffsetAsDefined) {
    Random random{7};
    const std::string symbols = "01Xx";
    for (size_t length = 0; length <= 200; ++length) {
        std::string text;
        for (size_t k = 0; k < length; ++k) {
            text += symbols[random.below(4)];
        }
        for (uint64_t first : {0, 1, 17, 63, 64, 127, 1000}) {
            ASSERT_EQ(scan(text, first), definedScan(text, first)) << "first " << first << ", length " << length;
        }
    }
}

TEST(TableRowScan, EveryStoppingByteAtEveryPositionAsDefined) {
    Random random{11};
    // Bytes next to the symbols' codes, case flips, line ends and bytes with the top bit set.
    const std::string stops = std::string("\n\r \t/2WYwy&-\x80\xff", 14) + std::string(1, '\0');
    for (size_t position = 0; position < 160; ++position) {
        for (char stop : stops) {
            std::string text;
            for (size_t k = 0; k < 170; ++k) {
                text += "01Xx"[random.below(4)];
            }
            text[position] = stop;
            uint64_t first = random.below(200);
            ScanResult defined = definedScan(text, first);
            ASSERT_EQ(defined.taken, position);
            ASSERT_EQ(scan(text, first), defined) << "stop at " << position;
        }
    }
}

}  // namespace
