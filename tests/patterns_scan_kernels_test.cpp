// Every vector kernel of the TABLE row scan gives the planes and the stop of
// the one-symbol-at-a-time kernel: runs of every length, at every bit offset,
// ended by every kind of byte at every position.
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

ScanResult scanWith(ScanKernel kernel, const std::string& text, uint64_t first) {
    size_t words = (first + text.size()) / 64 + 2;
    ScanResult result;
    result.fault0.assign(words, 0);
    result.fault1.assign(words, 0);
    result.lowerX.assign(words, 0);
    RowPlanes planes{result.fault0.data(), result.fault1.data(), result.lowerX.data()};
    result.taken = scanTableSymbolsWith(kernel, text.data(), text.size(), planes, first);
    return result;
}

std::vector<ScanKernel> vectorKernels() {
    std::vector<ScanKernel> kernels;
    for (ScanKernel kernel : {ScanKernel::Sse2, ScanKernel::Avx2, ScanKernel::Avx512}) {
        if (scanKernelSupported(kernel)) {
            kernels.push_back(kernel);
        }
    }
    return kernels;
}

struct Random {
    uint64_t state;
    uint32_t below(uint32_t bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>((state >> 33) % bound);
    }
};

void expectAllKernelsAgree(const std::string& text, uint64_t first, const std::string& what) {
    ScanResult plain = scanWith(ScanKernel::Plain, text, first);
    for (ScanKernel kernel : vectorKernels()) {
        ASSERT_EQ(scanWith(kernel, text, first), plain)
            << what << ", kernel " << static_cast<int>(kernel) << ", first " << first << ", length " << text.size();
    }
}

TEST(ScanKernels, PlainKernelClassifiesAndStops) {
    ScanResult result = scanWith(ScanKernel::Plain, "01Xx1\n0", 62);
    EXPECT_EQ(result.taken, 5u);
    EXPECT_EQ(result.fault0[0], uint64_t{1} << 62);
    EXPECT_EQ(result.fault1[0], uint64_t{1} << 63);
    EXPECT_EQ(result.fault1[1], uint64_t{1} << 2);
    EXPECT_EQ(result.lowerX[1], uint64_t{1} << 1);
    EXPECT_EQ(result.fault0[1], 0u) << "the '0' after the line end is not taken";
}

TEST(ScanKernels, RunsOfEveryLengthAtEveryOffsetAgree) {
    Random random{7};
    const std::string symbols = "01Xx";
    for (size_t length = 0; length <= 200; ++length) {
        std::string text;
        for (size_t k = 0; k < length; ++k) {
            text += symbols[random.below(4)];
        }
        for (uint64_t first : {0, 1, 17, 63, 64, 127, 1000}) {
            expectAllKernelsAgree(text, first, "whole run");
        }
    }
}

TEST(ScanKernels, EveryStoppingByteAtEveryPositionAgrees) {
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
            expectAllKernelsAgree(text, random.below(200), "stop at " + std::to_string(position));
            ScanResult plain = scanWith(ScanKernel::Plain, text, 0);
            ASSERT_EQ(plain.taken, position);
        }
    }
}

TEST(ScanKernels, TheDefaultScanAgreesWithThePlainOne) {
    std::string text(1000, '1');
    text[700] = 'x';
    text[999] = ';';
    std::vector<uint64_t> fault0(17), fault1(17), lowerX(17);
    size_t taken = scanTableSymbols(text.data(), text.size(), RowPlanes{fault0.data(), fault1.data(), lowerX.data()}, 5);
    ScanResult plain = scanWith(ScanKernel::Plain, text, 5);
    EXPECT_EQ(taken, 999u);
    EXPECT_EQ(fault1, plain.fault1);
    EXPECT_EQ(lowerX, plain.lowerX);
}

}  // namespace
