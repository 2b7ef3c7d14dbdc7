// The selection's kernels at every tier this processor runs, against
// bit-by-bit definitions, over lengths around the vector widths and densities
// from empty to full words.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "select/kernels/bit_kernels.h"
#include "support/cpu_tiers.h"

namespace {

using Random = std::mt19937_64;

// Words whose bits are set with the given chance in per mille; 1000 gives
// all ones.
std::vector<uint64_t> randomWords(Random& random, size_t n, uint32_t perMille) {
    std::vector<uint64_t> words(n, 0);
    for (uint64_t& word : words) {
        for (int bit = 0; bit < 64; ++bit) {
            if (random() % 1000 < perMille) {
                word |= uint64_t{1} << bit;
            }
        }
    }
    return words;
}

bool bitOf(const std::vector<uint64_t>& words, size_t index) {
    return (words[index / 64] >> (index % 64)) & 1;
}

TEST(BitKernels, EveryTierCountsMergesAndSpreadsBitsAsTheirDefinitions) {
    Random random(11);
    const uint32_t Densities[] = {0, 5, 100, 500, 1000};
    forEachSupportedTier([&](CpuTier tier) {
        for (size_t n = 0; n <= 40; ++n) {
            for (uint32_t density : Densities) {
                std::string what = tierName(tier) + " n " + std::to_string(n) + " density " + std::to_string(density);
                std::vector<uint64_t> bits = randomWords(random, n, density);
                std::vector<uint64_t> covered = randomWords(random, n, 1000 - density);
                uint32_t fresh = 0;
                for (size_t index = 0; index < 64 * n; ++index) {
                    fresh += bitOf(bits, index) && !bitOf(covered, index) ? 1 : 0;
                }
                EXPECT_EQ(countNewBits(bits.data(), covered.data(), n), fresh) << what;

                std::vector<uint64_t> merged = covered;
                EXPECT_EQ(mergeNewBits(merged.data(), bits.data(), n), fresh) << what;
                for (size_t word = 0; word < n; ++word) {
                    EXPECT_EQ(merged[word], covered[word] | bits[word]) << what;
                }

                std::vector<uint8_t> counts(64 * n + 64, 7);
                addBitsToByteCounts(counts.data(), bits.data(), n);
                addBitsToByteCounts(counts.data(), covered.data(), n);
                for (size_t index = 0; index < 64 * n; ++index) {
                    int expected = 7 + (bitOf(bits, index) ? 1 : 0) + (bitOf(covered, index) ? 1 : 0);
                    ASSERT_EQ(counts[index], expected) << what << " bit " << index;
                }
                for (size_t index = 64 * n; index < counts.size(); ++index) {
                    ASSERT_EQ(counts[index], 7) << what << ": a count beyond the words changed";
                }
            }
        }
    });
}

TEST(BitKernels, ByteCountsReachTwoHundredAndFiftyFiveWithoutCarryingIntoTheirNeighbours) {
    forEachSupportedTier([](CpuTier tier) {
        std::vector<uint64_t> bits = {0x5555555555555555ull, ~uint64_t{0}, 0x8000000000000001ull};
        std::vector<uint8_t> counts(64 * bits.size(), 0);
        for (int row = 0; row < 255; ++row) {
            addBitsToByteCounts(counts.data(), bits.data(), bits.size());
        }
        for (size_t index = 0; index < counts.size(); ++index) {
            ASSERT_EQ(counts[index], bitOf(bits, index) ? 255 : 0) << tierName(tier) << " bit " << index;
        }
    });
}

// Rows added one by one: `once` and `twice` saturate the number of rows that
// set a bit, and `first` names the first of them in packed fields of 5 bits
// (some across two words), leaving the fields of unset bits as they were.
TEST(BitKernels, EveryTierKeepsTheDetectionPlanesAndTheFirstDetectingRow) {
    Random random(12);
    forEachSupportedTier([&](CpuTier tier) {
        for (size_t n : {size_t{0}, size_t{1}, size_t{3}, size_t{4}, size_t{7}, size_t{8}, size_t{9}, size_t{17}}) {
            std::string what = tierName(tier) + " n " + std::to_string(n);
            std::vector<uint64_t> once(n, 0);
            std::vector<uint64_t> twice(n, 0);
            constexpr uint32_t Width = 5;
            constexpr uint32_t Unset = (1u << Width) - 1;
            std::vector<uint64_t> fields(vectorFieldWords(n, Width), ~uint64_t{0});
            VectorFields first{fields.data(), Width};
            std::vector<uint32_t> seen(64 * n, 0);
            std::vector<uint32_t> expectedFirst(64 * n, Unset);
            for (uint32_t row = 0; row < 30; ++row) {
                // Sparse rows, a few dense ones, and now and then a row of
                // only bits seen before.
                std::vector<uint64_t> bits = randomWords(random, n, row % 7 == 3 ? 600 : 20);
                if (row % 5 == 4) {
                    for (size_t word = 0; word < n; ++word) {
                        bits[word] = once[word] & (random() | random());
                    }
                }
                for (size_t index = 0; index < 64 * n; ++index) {
                    if (bitOf(bits, index) && seen[index]++ == 0) {
                        expectedFirst[index] = row;
                    }
                }
                addToDetectionPlanes(once.data(), twice.data(), first, bits.data(), n, row);
            }
            for (size_t index = 0; index < 64 * n; ++index) {
                ASSERT_EQ(bitOf(once, index), seen[index] >= 1) << what << " bit " << index;
                ASSERT_EQ(bitOf(twice, index), seen[index] >= 2) << what << " bit " << index;
                ASSERT_EQ(loadVectorField(fields.data(), Width, index), expectedFirst[index]) << what << " bit " << index;
            }
        }
    });
}

}  // namespace
