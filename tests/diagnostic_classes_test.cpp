// "-diagnostic" on fault tables built in memory, checked by brute force: the
// classes of the faults (two faults share one when every vector of a set
// detects both or neither), the set that keeps every class of the faults
// its start covers, the search for a smaller one with its lower bound
// against the fewest found by trying every subset, and the option with the
// others through the selection's face.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "patterns/pattern_set.h"
#include "select/diagnostic/class_cover_search.h"
#include "select/diagnostic/class_keeping.h"
#include "select/diagnostic/class_numbers.h"
#include "select/diagnostic/class_restoring.h"
#include "select/diagnostic/fault_classes.h"
#include "select/diagnostic/kept_demands.h"
#include "select/diagnostic/signature_map.h"
#include "select/faults/fault_demands.h"
#include "select/selection.h"
#include "selection_support.h"

namespace {

// Per fault 2n + b (fault b of node n): the mask of the vectors that detect it.
using Detectors = std::vector<uint32_t>;

// Rows of a few symbols each, so that many faults share their detecting
// vectors; now and then a copy of an earlier row or a lower-case 'x'.
std::vector<std::string> randomRows(Random& random, uint32_t vectors, uint32_t nodes) {
    std::vector<std::string> rows;
    uint32_t density = 10 + below(random, 50);
    for (uint32_t v = 0; v < vectors; ++v) {
        if (v > 0 && below(random, 8) == 0) {
            rows.push_back(rows[below(random, v)]);
            continue;
        }
        std::string row(below(random, 4) == 0 ? below(random, nodes + 1) : nodes, 'X');
        for (char& symbol : row) {
            symbol = below(random, 100) < density ? static_cast<char>('0' + below(random, 2))
                     : below(random, 5) == 0      ? 'x'
                                                  : 'X';
        }
        rows.push_back(row);
    }
    return rows;
}

Detectors detectorsOf(const std::vector<std::string>& rows, uint32_t nodes) {
    Detectors detectors(2 * size_t{nodes}, 0);
    for (uint32_t v = 0; v < rows.size(); ++v) {
        for (uint32_t node = 0; node < rows[v].size(); ++node) {
            if (rows[v][node] == '0' || rows[v][node] == '1') {
                detectors[2 * node + static_cast<uint32_t>(rows[v][node] - '0')] |= uint32_t{1} << v;
            }
        }
    }
    return detectors;
}

// The classes of the faults some vector detects (of those `kept` gives a
// detection, when it is given) under the vectors of the mask; those the
// mask detects not at all make one class.
uint32_t classesByBruteForce(const Detectors& detectors, uint32_t mask, const std::vector<uint32_t>* kept = nullptr) {
    std::set<uint32_t> signatures;
    for (size_t fault = 0; fault < detectors.size(); ++fault) {
        if (detectors[fault] != 0 && (kept == nullptr || (*kept)[fault] > 0)) {
            signatures.insert(detectors[fault] & mask);
        }
    }
    return static_cast<uint32_t>(signatures.size());
}

// Per fault: min(detections, the vectors of the mask that detect it).
std::vector<uint32_t> keptByBruteForce(const Detectors& detectors, uint32_t mask, uint32_t detections) {
    std::vector<uint32_t> kept;
    for (uint32_t detecting : detectors) {
        kept.push_back(std::min<uint32_t>(detections, static_cast<uint32_t>(__builtin_popcount(detecting & mask))));
    }
    return kept;
}

bool keepsAll(const Detectors& detectors, uint32_t mask, const std::vector<uint32_t>& kept, uint32_t classes) {
    for (size_t fault = 0; fault < detectors.size(); ++fault) {
        if (static_cast<uint32_t>(__builtin_popcount(detectors[fault] & mask)) < kept[fault]) {
            return false;
        }
    }
    return classesByBruteForce(detectors, mask, &kept) == classes;
}

uint32_t maskOf(const std::vector<uint32_t>& vectors) {
    uint32_t mask = 0;
    for (uint32_t v : vectors) {
        mask |= uint32_t{1} << v;
    }
    return mask;
}

std::vector<uint32_t> vectorsOf(uint32_t mask) {
    std::vector<uint32_t> vectors;
    for (uint32_t v = 0; v < 32; ++v) {
        if ((mask >> v) & 1) {
            vectors.push_back(v);
        }
    }
    return vectors;
}

// The fewest vectors that keep every class and the detections.
uint32_t fewestByBruteForce(const Detectors& detectors, uint32_t vectors, const std::vector<uint32_t>& kept,
                            uint32_t classes) {
    uint32_t fewest = vectors;
    for (uint32_t mask = 0; mask < (uint32_t{1} << vectors); ++mask) {
        auto size = static_cast<uint32_t>(__builtin_popcount(mask));
        if (size < fewest && keepsAll(detectors, mask, kept, classes)) {
            fewest = size;
        }
    }
    return fewest;
}

struct SmallCase {
    std::vector<std::string> rows;
    uint32_t nodes;
    PatternSet patterns;
    Detectors detectors;
    uint32_t start;  // a mask of the starting vectors
    uint32_t detections;
    std::vector<uint32_t> kept;  // per fault, what the start gives of its detections
    uint32_t classes;            // of the faults the start covers, under every vector
    std::string what;
};

// The default selection or a random subset to start from, one to three
// detections to keep.
SmallCase smallCase(Random& random, int index, uint32_t maxVectors) {
    SmallCase c;
    uint32_t vectors = 1 + below(random, maxVectors);
    c.nodes = 1 + below(random, 14);
    c.rows = randomRows(random, vectors, c.nodes);
    c.patterns = patternSetOf(c.rows, summaryOfRows(c.rows, c.nodes));
    c.detectors = detectorsOf(c.rows, c.nodes);
    c.start = index % 2 == 0 ? maskOf(runSelection(SelectionOptions{}, c.patterns).chosen)
                             : below(random, uint32_t{1} << vectors);
    c.detections = 1 + static_cast<uint32_t>(index % 3);
    c.kept = keptByBruteForce(c.detectors, c.start, c.detections);
    c.classes = classesByBruteForce(c.detectors, (uint32_t{1} << vectors) - 1, &c.kept);
    c.what = "table " + std::to_string(index);
    return c;
}

// What the start keeps, as the library computes it.
std::vector<uint32_t> keptDemandsOf(const SmallCase& c) {
    FaultDemands demands = countDemands(c.patterns, c.detections);
    return keptDemands(c.patterns, vectorsOf(c.start), c.detections > 1 ? &demands : nullptr);
}

// Classes, their numbers in the order of their lowest fault and their
// sizes, the counts after each vector of an order, and the console's count.
TEST(DiagnosticSmallTables, ClassesMatchBruteForce) {
    Random random(41);
    for (int index = 0; index < 300; ++index) {
        SmallCase c = smallCase(random, index, 16);
        uint32_t all = (uint32_t{1} << c.rows.size()) - 1;
        for (uint32_t mask : {0u, c.start, all, below(random, all + 1)}) {
            std::string what = c.what + " mask " + std::to_string(mask);
            FaultClasses classes = classesUnder(c.patterns, vectorsOf(mask), detectedFaults(c.patterns));
            EXPECT_EQ(classCount(classes), classesByBruteForce(c.detectors, mask)) << what;
            ClassCounts counts = countClasses(c.patterns, vectorsOf(mask));
            EXPECT_EQ(counts.chosen, classesByBruteForce(c.detectors, mask)) << what;
            EXPECT_EQ(counts.input, classesByBruteForce(c.detectors, all)) << what;
            FaultClassNumbers numbers = numberFaultClasses(c.patterns, vectorsOf(mask));
            std::map<uint32_t, uint32_t> numberOf;  // signature under the mask: its class number
            for (size_t fault = 0; fault < c.detectors.size(); ++fault) {
                uint32_t number = classNumberOf(numbers, fault);
                if (c.detectors[fault] == 0) {
                    EXPECT_EQ(number, NoClass) << what;
                    continue;
                }
                uint32_t signature = c.detectors[fault] & mask;
                auto [at, fresh] = numberOf.emplace(signature, static_cast<uint32_t>(numberOf.size()));
                ASSERT_EQ(number, at->second) << what << " fault " << fault;
                auto size = std::count_if(c.detectors.begin(), c.detectors.end(), [&](uint32_t d) {
                    return d != 0 && (d & mask) == signature;
                });
                EXPECT_EQ(numbers.size[number], static_cast<uint32_t>(size)) << what << " fault " << fault;
            }
        }
        std::vector<uint32_t> order = vectorsOf(all);
        std::shuffle(order.begin(), order.end(), random);
        std::vector<uint32_t> after = classesAfterEach(c.patterns, order);
        for (size_t place = 0; place < order.size(); ++place) {
            std::vector<uint32_t> prefix(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(place) + 1);
            EXPECT_EQ(after[place], classesByBruteForce(c.detectors, maskOf(prefix))) << c.what;
        }
    }
}

// Without a limit every class comes back; within one the set stays within
// it and keeps the classes it reached. Either way no vector can go.
TEST(DiagnosticSmallTables, KeepsEveryClassAndNoVectorCanGo) {
    Random random(42);
    for (int index = 0; index < 400; ++index) {
        SmallCase c = smallCase(random, index, 16);
        auto startSize = static_cast<uint32_t>(__builtin_popcount(c.start));
        for (uint32_t limit : {NoSizeLimit, startSize + below(random, 3)}) {
            std::string what = c.what + " limit " + std::to_string(limit);
            RestoredClasses result = restoreEveryClass(c.patterns, vectorsOf(c.start), keptDemandsOf(c), limit);
            uint32_t chosen = maskOf(result.vectors);
            uint32_t reached = classesByBruteForce(c.detectors, chosen, &c.kept);
            EXPECT_LE(result.vectors.size(), limit) << what;
            if (result.vectors.size() < limit) {
                EXPECT_EQ(reached, c.classes) << what;
            }
            ASSERT_TRUE(keepsAll(c.detectors, chosen, c.kept, reached)) << what;
            for (uint32_t v : result.vectors) {
                EXPECT_FALSE(keepsAll(c.detectors, chosen & ~(uint32_t{1} << v), c.kept, reached))
                    << what << ": vector " << v << " could go";
            }
            for (uint32_t v : result.topUpPicks) {
                EXPECT_TRUE((chosen >> v) & 1 && !((c.start >> v) & 1)) << what << ": pick " << v;
            }
        }
    }
}

TEST(DiagnosticSmallTables, SearchKeepsEveryClassAndItsBoundHolds) {
    Random random(43);
    for (int index = 0; index < 150; ++index) {
        SmallCase c = smallCase(random, index, 13);
        uint32_t fewest = fewestByBruteForce(c.detectors, static_cast<uint32_t>(c.rows.size()), c.kept, c.classes);
        std::vector<uint32_t> keep = keptDemandsOf(c);
        std::vector<uint32_t> restored = restoreEveryClass(c.patterns, vectorsOf(c.start), keep).vectors;
        for (uint64_t limit : {uint64_t{0}, uint64_t{300}, classSearchWork(c.patterns)}) {
            std::string what = c.what + " limit " + std::to_string(limit);
            WorkBudget budget{limit, 0};
            ClassCover result = searchClassCover(c.patterns, restored, keep, budget);
            ASSERT_TRUE(keepsAll(c.detectors, maskOf(result.vectors), c.kept, c.classes)) << what;
            EXPECT_LE(result.vectors.size(), restored.size()) << what;
            EXPECT_LE(result.lowerBound, fewest) << what;
            if (limit > 300) {
                EXPECT_EQ(result.vectors.size(), fewest) << what;
            }
        }
    }
}

// "-diagnostic" with each other option through runSelection, against the
// run without it: what each combination keeps, its figures and phases.
TEST(DiagnosticSmallTables, CombinesWithTheOtherOptions) {
    Random random(45);
    for (int index = 0; index < 200; ++index) {
        SmallCase c = smallCase(random, index, 12);
        uint32_t all = (uint32_t{1} << c.rows.size()) - 1;
        SelectionOptions plain;
        switch (index % 5) {
            case 0: break;
            case 1:
                plain.faultCoverActive = true;
                plain.faultCoverPercent = 20 + below(random, 70);
                break;
            case 2: plain.vectorBudget = 1 + below(random, 4); break;
            case 3:
                plain.detections = 2 + below(random, 2);
                plain.detectionsGiven = true;
                break;
            case 4: plain.minimize = true; break;
        }
        SelectionOptions options = plain;
        options.diagnostic = true;
        std::string what = c.what + " option set " + std::to_string(index % 5);
        SelectionResult without = runSelection(plain, c.patterns);
        SelectionResult with = runSelection(options, c.patterns);
        uint32_t before = maskOf(without.chosen);
        uint32_t after = maskOf(with.chosen);
        // The faults the run without covers keep their detections and classes.
        std::vector<uint32_t> kept = keptByBruteForce(c.detectors, before, plain.detections);
        uint32_t classes = classesByBruteForce(c.detectors, all, &kept);
        uint32_t reached = classesByBruteForce(c.detectors, after, &kept);
        ASSERT_TRUE(keepsAll(c.detectors, after, kept, reached)) << what;
        EXPECT_GE(with.coveredCount, without.coveredCount) << what;
        if (plain.vectorBudget != 0) {
            EXPECT_LE(with.chosen.size(), plain.vectorBudget) << what;
        } else {
            EXPECT_EQ(reached, classes) << what;
        }
        ASSERT_TRUE(with.classes.has_value()) << what;
        EXPECT_EQ(with.classes->distinguished, classesByBruteForce(c.detectors, after)) << what;
        EXPECT_EQ(with.classes->total, classesByBruteForce(c.detectors, all)) << what;
        EXPECT_EQ(with.cycleCount, without.cycleCount) << what;
        EXPECT_EQ(with.detections.has_value(), plain.detectionsGiven) << what;
        EXPECT_EQ(with.bound.has_value(), plain.minimize) << what;
        if (plain.minimize) {
            EXPECT_LE(with.bound->value, fewestByBruteForce(c.detectors, static_cast<uint32_t>(c.rows.size()),
                                                            kept, classes))
                << what;
        }
        for (size_t i = 0; i < with.chosen.size(); ++i) {
            bool wasChosen = (before >> with.chosen[i]) & 1;
            if (with.phases[i] == ChoicePhase::Diagnostic) {
                EXPECT_FALSE(wasChosen) << what;
            }
            if (plain.minimize) {
                EXPECT_EQ(with.phases[i] == ChoicePhase::Minimize || with.phases[i] == ChoicePhase::Diagnostic,
                          !wasChosen)
                    << what;
            } else {
                EXPECT_EQ(with.phases[i] == ChoicePhase::Diagnostic, !wasChosen) << what;
            }
        }
        EXPECT_FALSE(runSelection(plain, c.patterns).classes.has_value()) << what;
    }
}

TEST(DiagnosticSignatureMap, CountsAsAnOrderedMapDoes) {
    Random random(44);
    for (int round = 0; round < 20; ++round) {
        // Few distinct keys with shared low bits, so that probes run long.
        SignatureMap map = emptySignatureMap(40);
        std::map<uint64_t, uint32_t> expected;
        for (int step = 0; step < 2000; ++step) {
            uint64_t key = uint64_t{below(random, 60)} << (below(random, 2) * 40);
            if (expected[key] > 0 && below(random, 2) == 0) {
                removeFromSignature(map, key);
                --expected[key];
            } else if (std::count_if(expected.begin(), expected.end(), [](auto& e) { return e.second > 0; }) < 40 ||
                       expected[key] > 0) {
                addToSignature(map, key, 1);
                ++expected[key];
            }
            ASSERT_EQ(signatureValue(map, key), expected[key]) << "round " << round << " step " << step;
        }
        for (const auto& [key, count] : expected) {
            EXPECT_EQ(signatureValue(map, key), count) << "round " << round;
        }
    }
}

}  // namespace
