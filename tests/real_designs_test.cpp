// Runs the binary on the fault-simulated benchmark circuits and checks the
// compacted file against the original fault table with a checker of its own:
// the written vectors, mapped back to their rows, must cover what the whole
// set covers (or pass the coverage limit), the counts must agree, and no
// written vector may be redundant, except the widest seed vector. The run's
// report is checked against the same reading of the table, and its plot by
// an XML parser.
#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <regex>
#include <set>
#include <sstream>

#include "support/original_design.h"
#include "support/tool_run.h"

namespace {

// The records of an RFC 4180 text: quoted fields, doubled quotes, CRLF ends.
std::vector<std::vector<std::string>> csvRecords(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        std::string& field = records.back().back();
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            records.back().emplace_back();
        } else if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            field += ch;
        }
    }
    EXPECT_TRUE(records.back().size() == 1 && records.back()[0].empty()) << "the last line must end in CRLF";
    records.pop_back();
    return records;
}

// The plot-area frame and the points of each polyline, by id.
struct PlotShapes {
    double top = 0, height = 0;
    std::map<std::string, std::vector<std::pair<double, double>>> curves;
};

PlotShapes parsePlot(const std::string& svg) {
    PlotShapes shapes;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &shapes);
    XML_SetStartElementHandler(parser, [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& plot = *static_cast<PlotShapes*>(data);
        std::map<std::string, std::string> a;
        for (int i = 0; attributes[i] != nullptr; i += 2) {
            a[attributes[i]] = attributes[i + 1];
        }
        if (std::string(name) == "rect" && a["id"] == "plot-area") {
            plot.top = std::stod(a["y"]);
            plot.height = std::stod(a["height"]);
        } else if (std::string(name) == "polyline") {
            std::istringstream points(a["points"]);
            auto& curve = plot.curves[a["id"]];
            for (std::string point; points >> point;) {
                size_t comma = point.find(',');
                curve.push_back({std::stod(point.substr(0, comma)), std::stod(point.substr(comma + 1))});
            }
        }
    });
    EXPECT_EQ(XML_Parse(parser, svg.data(), static_cast<int>(svg.size()), 1), XML_STATUS_OK)
        << XML_ErrorString(XML_GetErrorCode(parser)) << " at line " << XML_GetCurrentLineNumber(parser);
    XML_ParserFree(parser);
    return shapes;
}

// The report against the original table: each fault's counts, first chosen
// vector and status, each chosen vector's index and unique faults, and the
// plot's two curves ending at the input's and the chosen set's coverage.
void checkReport(const fs::path& work, const OriginalDesign& original, const std::vector<size_t>& picked) {
    std::vector<std::vector<std::string>> vectors = csvRecords(readFile(work / "r.vectors.csv"));
    ASSERT_EQ(vectors.size(), picked.size() + 1);
    std::map<size_t, int> chosenDetectors;
    for (size_t vector : picked) {
        for (size_t fault : faultsOf(original.table[vector])) {
            ++chosenDetectors[fault];
        }
    }
    std::set<uint32_t> applyPlaces;
    for (size_t k = 0; k < picked.size(); ++k) {
        const std::vector<std::string>& line = vectors[k + 1];
        ASSERT_EQ(line.size(), 8u);
        EXPECT_EQ(line[0], std::to_string(k));
        EXPECT_EQ(line[1], std::to_string(picked[k])) << "the index of the written row in the input";
        std::set<size_t> faults = faultsOf(original.table[picked[k]]);
        size_t unique = 0;
        for (size_t fault : faults) {
            unique += chosenDetectors[fault] == 1 ? 1 : 0;
        }
        EXPECT_EQ(line[2], std::to_string(faults.size()));
        EXPECT_EQ(line[3], std::to_string(unique));
        applyPlaces.insert(static_cast<uint32_t>(std::stoul(line[5])));
    }
    EXPECT_EQ(applyPlaces.size(), picked.size());
    EXPECT_TRUE(picked.empty() || (*applyPlaces.begin() == 1 && *applyPlaces.rbegin() == picked.size()));

    std::map<size_t, size_t> inputDetectors;
    for (const std::string& row : original.table) {
        for (size_t fault : faultsOf(row)) {
            ++inputDetectors[fault];
        }
    }
    std::map<size_t, size_t> firstChosen;
    for (size_t vector : picked) {
        for (size_t fault : faultsOf(original.table[vector])) {
            firstChosen.emplace(fault, vector);  // picked is in file order
        }
    }
    std::vector<std::vector<std::string>> faults = csvRecords(readFile(work / "r.faults.csv"));
    ASSERT_EQ(faults.size(), 2 * original.summary.size() + 1);
    uint32_t detectable = 0, inputCovered = 0, chosenCovered = 0;
    for (size_t fault = 0; fault < 2 * original.summary.size(); ++fault) {
        const std::vector<std::string>& line = faults[fault + 1];
        ASSERT_EQ(line.size(), 9u);
        size_t inputs = inputDetectors.count(fault) != 0 ? inputDetectors[fault] : 0;
        size_t first = firstChosen.count(fault) != 0 ? firstChosen[fault] : SIZE_MAX;
        char symbol = original.summary[fault / 2];
        bool marked = symbol == '&' || symbol == "01"[fault % 2];
        int chosen = chosenDetectors.count(fault) != 0 ? chosenDetectors[fault] : 0;
        const char* status = chosen > 0 ? "covered" : inputs > 0 ? "dropped" : marked ? "undetected" : "undetectable";
        EXPECT_EQ(line[0], std::to_string(fault / 2));
        EXPECT_EQ(line[3], std::to_string(fault % 2));
        EXPECT_EQ(line[4], marked ? "detectable" : "undetectable");
        EXPECT_EQ(line[5], std::to_string(inputs)) << "fault " << fault;
        EXPECT_EQ(line[6], std::to_string(chosen)) << "fault " << fault;
        EXPECT_EQ(line[7], first == SIZE_MAX ? "" : std::to_string(first)) << "fault " << fault;
        EXPECT_EQ(line[8], status) << "fault " << fault;
        detectable += marked ? 1 : 0;
        inputCovered += marked && inputs > 0 ? 1 : 0;
        chosenCovered += marked && chosen > 0 ? 1 : 0;
    }

    PlotShapes plot = parsePlot(readFile(work / "r.coverage.svg"));
    ASSERT_GT(plot.height, 0.0) << "no plot area";
    auto heightOf = [&](uint32_t covered) { return plot.top + plot.height * (1.0 - double(covered) / detectable); };
    for (const auto& [id, covered, count] : {std::tuple{"input-order", inputCovered, original.table.size()},
                                             std::tuple{"chosen-order", chosenCovered, picked.size()}}) {
        const auto& curve = plot.curves[id];
        ASSERT_FALSE(curve.empty()) << id;
        EXPECT_LE(curve.size(), std::min<size_t>(count, 2000)) << id;
        EXPECT_NEAR(curve.back().second, heightOf(covered), 0.01) << id << " ends at its coverage";
        for (size_t k = 1; k < curve.size(); ++k) {
            EXPECT_TRUE(curve[k].first > curve[k - 1].first && curve[k].second <= curve[k - 1].second) << id;
        }
    }
}

class RealDesign : public testing::TestWithParam<DesignCase> {};

TEST_P(RealDesign, WritesACoverOfWhatTheWholeSetCovers) {
    const DesignCase& param = GetParam();
    const fs::path source = realDesignDir(param.design);
    const fs::path agm = source / (param.design + ".agm");
    const fs::path tst = source / (param.design + ".tst");
    OriginalDesign original = readOriginal(agm, tst);
    ASSERT_EQ(original.inputs.size(), original.table.size());

    ScratchDir work;
    std::vector<std::string> options = param.options;
    options.insert(options.end(), {"-report", "r"});
    BinaryResult result = runOnCopy(param.design, options, work);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    uint32_t chosen = printedNumber(result.out, "Chose ([0-9]+) vectors\n");
    uint32_t covered = printedNumber(result.out, "Covered ([0-9]+) of ");
    std::vector<std::string> written = textLines(readFile(work / (param.design + ".tst")));
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(written[0], ".VECTORS " + std::to_string(chosen));
    EXPECT_EQ(written[1], "");
    EXPECT_EQ(written[2], ".PATTERNS");
    EXPECT_EQ(written[3], "");
    std::vector<size_t> picked = writtenVectors(original, readFile(work / (param.design + ".tst")), chosen);

    std::map<size_t, int> detectors;
    for (size_t vector : picked) {
        for (size_t fault : faultsOf(original.table[vector])) {
            ++detectors[fault];
        }
    }
    std::set<size_t> all;
    for (const std::string& row : original.table) {
        std::set<size_t> faults = faultsOf(row);
        all.insert(faults.begin(), faults.end());
    }
    EXPECT_EQ(covered, detectors.size());

    bool limited = false;
    for (size_t i = 0; i + 1 < param.options.size(); ++i) {
        if (param.options[i] == "-fault_cover") {
            limited = true;
            uint32_t detectable = 0;
            for (char symbol : original.summary) {
                detectable += symbol == '&' ? 2 : (symbol == '0' || symbol == '1') ? 1 : 0;
            }
            uint32_t percent = static_cast<uint32_t>(std::stoul(param.options[i + 1]));
            EXPECT_GT(covered, static_cast<uint32_t>(percent * detectable / 100.0));
        }
    }
    if (!limited) {
        EXPECT_EQ(detectors.size(), all.size());
    }

    checkReport(work.path(), original, picked);

    // Only the widest seed vector may be redundant.
    bool widestSeed = std::find(param.options.begin(), param.options.end(), "-no_unique_vectors") !=
                      param.options.end();
    size_t widest = 0;
    for (size_t v = 0; v < original.table.size(); ++v) {
        if (faultsOf(original.table[v]).size() > faultsOf(original.table[widest]).size()) {
            widest = v;
        }
    }
    for (size_t vector : picked) {
        if (widestSeed && vector == widest) {
            continue;
        }
        bool needed = false;
        for (size_t fault : faultsOf(original.table[vector])) {
            needed = needed || detectors[fault] == 1;
        }
        EXPECT_TRUE(needed) << "vector " << vector << " is redundant";
    }
}

INSTANTIATE_TEST_SUITE_P(Benchmarks, RealDesign, testing::ValuesIn(designCases()), designCaseName);

}  // namespace

#ifdef TVCOMPACT_BASELINE_BINARY
namespace {

// The tool and the baseline built from the plain reader and the
// straightforward selection print the same and write the same file.
TEST_P(RealDesign, MatchesTheBaseline) {
    const DesignCase& param = GetParam();
    std::vector<BinaryResult> results;
    std::vector<std::string> files;
    for (const char* binary : {TVCOMPACT_BINARY, TVCOMPACT_BASELINE_BINARY}) {
        ScratchDir work;
        results.push_back(runOnCopy(param.design, param.options, work, binary));
        files.push_back(readFile(work / (param.design + ".tst")));
    }
    EXPECT_EQ(results[0].status, results[1].status);
    EXPECT_EQ(results[0].out, results[1].out);
    EXPECT_EQ(results[0].err, results[1].err);
    EXPECT_EQ(files[0], files[1]);
}

}  // namespace
#endif

namespace {

// Runs with "-n_detect" and "-max_vectors", checked against the original
// table: every demand min(N, d) met (or the coverage limit passed), no
// greedy vector that could go with every demand kept, a budget kept and at
// least as much demand met as a plain greedy choice of K vectors, and the
// printed figures.
struct DemandCase {
    std::string design;
    std::vector<std::string> options;
};

void PrintTo(const DemandCase& demandCase, std::ostream* out) {
    PrintTo(DesignCase{demandCase.design, demandCase.options}, out);
}

uint32_t optionValue(const std::vector<std::string>& options, const std::string& name, uint32_t absent) {
    auto found = std::find(options.begin(), options.end(), name);
    return found == options.end() ? absent : static_cast<uint32_t>(std::stoul(*(found + 1)));
}

class RealDesignDemands : public testing::TestWithParam<DemandCase> {};

TEST_P(RealDesignDemands, MeetTheDemandsWithinTheBudget) {
    const DemandCase& param = GetParam();
    const fs::path source = realDesignDir(param.design);
    OriginalDesign original = readOriginal(source / (param.design + ".agm"), source / (param.design + ".tst"));
    const uint32_t n = optionValue(param.options, "-n_detect", 1);
    const uint32_t budget = optionValue(param.options, "-max_vectors", 0);
    const bool limited = optionValue(param.options, "-fault_cover", 0) > 0;
    const bool widestSeed = std::find(param.options.begin(), param.options.end(), "-no_unique_vectors") !=
                            param.options.end();

    ScratchDir work;
    std::vector<std::string> options = param.options;
    options.insert(options.end(), {"-report", "r"});
    BinaryResult result = runOnCopy(param.design, options, work);
    ASSERT_EQ(result.status, 0) << result.err;
    uint32_t chosen = printedNumber(result.out, "Chose ([0-9]+) vectors\n");
    std::vector<size_t> picked = writtenVectors(original, readFile(work / (param.design + ".tst")), chosen);

    std::vector<std::set<size_t>> rowFaults;
    std::map<size_t, uint32_t> inputs;
    for (const std::string& row : original.table) {
        rowFaults.push_back(faultsOf(row));
        for (size_t fault : rowFaults.back()) {
            ++inputs[fault];
        }
    }
    std::map<size_t, uint32_t> counts;
    for (size_t vector : picked) {
        for (size_t fault : rowFaults[vector]) {
            ++counts[fault];
        }
    }
    const size_t covered = counts.size();
    auto demandOf = [&](size_t fault) { return std::min(n, inputs[fault]); };
    uint64_t met = 0;
    uint32_t metFaults = 0, oftenDetectable = 0, detectable = 0;
    for (const auto& [fault, detectors] : inputs) {
        met += std::min(counts[fault], demandOf(fault));
        metFaults += counts[fault] >= demandOf(fault) ? 1 : 0;
        if (!budget && !limited) {
            EXPECT_GE(counts[fault], demandOf(fault)) << "fault " << fault;
        }
    }
    for (size_t fault = 0; fault < 2 * original.summary.size(); ++fault) {
        char symbol = original.summary[fault / 2];
        if (symbol == '&' || symbol == "01"[fault % 2]) {
            ++detectable;
            oftenDetectable += counts[fault] >= n ? 1 : 0;
        }
    }
    EXPECT_EQ(printedNumber(result.out, "Covered ([0-9]+) of "), covered);
    if (std::find(param.options.begin(), param.options.end(), "-n_detect") != param.options.end()) {
        // The report gives each fault's demand and whether the chosen set meets it.
        std::vector<std::vector<std::string>> faults = csvRecords(readFile(work / "r.faults.csv"));
        ASSERT_EQ(faults.size(), 2 * original.summary.size() + 1);
        EXPECT_EQ(faults[0].back(), "demand_met");
        for (size_t fault = 0; fault + 1 < faults.size(); ++fault) {
            ASSERT_EQ(faults[fault + 1].size(), 11u);
            uint32_t demand = inputs.count(fault) != 0 ? demandOf(fault) : 0;
            EXPECT_EQ(faults[fault + 1][9], std::to_string(demand)) << "fault " << fault;
            EXPECT_EQ(faults[fault + 1][10], (counts.count(fault) != 0 ? counts[fault] : 0) >= demand ? "yes" : "no");
        }
        EXPECT_EQ(printedNumber(result.out, "Detected at least [0-9]+ times: ([0-9]+) of "), oftenDetectable);
        EXPECT_EQ(printedNumber(result.out, "Detected at least [0-9]+ times: [0-9]+ of ([0-9]+) faults\n"), detectable);
    }

    if (budget == 0) {
        // Irredundant: dropping any kept vector (but the widest seed) loses demand.
        for (size_t vector : picked) {
            bool needed = false;
            for (size_t fault : rowFaults[vector]) {
                needed = needed || counts[fault] <= demandOf(fault);
            }
            EXPECT_TRUE(needed || widestSeed) << "vector " << vector << " could go";
        }
        if (limited) {
            uint32_t percent = optionValue(param.options, "-fault_cover", 0);
            EXPECT_GT(metFaults, static_cast<uint32_t>(percent * detectable / 100.0));
        }
        return;
    }
    EXPECT_LE(chosen, budget);
    // A selection that keeps the budget by itself is the result.
    std::vector<std::string> unbudgeted = param.options;
    auto at = std::find(unbudgeted.begin(), unbudgeted.end(), "-max_vectors");
    unbudgeted.erase(at, at + 2);
    ScratchDir plainWork;
    BinaryResult plain = runOnCopy(param.design, unbudgeted, plainWork);
    const bool minimize = std::find(param.options.begin(), param.options.end(), "-minimize") != param.options.end();
    if (printedNumber(plain.out, "Chose ([0-9]+) vectors\n") <= budget) {
        EXPECT_EQ(readFile(work / (param.design + ".tst")), readFile(plainWork / (param.design + ".tst")));
        if (result.out.find("Upper bound") == std::string::npos) {
            EXPECT_EQ(result.out, plain.out);
            return;
        }
        // A budget the default set passes: the "-minimize" cover within it
        // is the result, and its bound every fault's demand.
        const std::regex bound("(Upper|Lower) bound [0-9]+ [a-z]+\n");
        EXPECT_EQ(std::regex_replace(result.out, bound, ""), std::regex_replace(plain.out, bound, ""));
        EXPECT_EQ(printedNumber(result.out, "Upper bound ([0-9]+) faults\n"), met);
    }
    // Within a budget that binds, the faults it leaves out are over budget, and
    // the greedy phase, a swap or (with "-minimize") its cover put every
    // vector there.
    std::vector<std::vector<std::string>> faultRecords = csvRecords(readFile(work / "r.faults.csv"));
    for (size_t fault = 0; fault + 1 < faultRecords.size(); ++fault) {
        bool leftOut = inputs.count(fault) != 0 && counts[fault] == 0;
        EXPECT_EQ(faultRecords[fault + 1][8] == "over_budget", leftOut) << "fault " << fault;
    }
    std::vector<std::vector<std::string>> vectors = csvRecords(readFile(work / "r.vectors.csv"));
    ASSERT_EQ(vectors.size(), chosen + 1);
    for (size_t row = 1; row < vectors.size(); ++row) {
        EXPECT_TRUE(vectors[row][4] == "greedy" || vectors[row][4] == "swap" ||
                    (minimize && vectors[row][4] == "minimize"))
            << vectors[row][4];
    }
    // A plain greedy choice of K vectors: most open demand first, lowest index on ties.
    std::map<size_t, uint32_t> greedyCounts;
    uint64_t greedyMet = 0;
    std::vector<bool> taken(original.table.size(), false);
    for (uint32_t k = 0; k < budget; ++k) {
        uint32_t bestGain = 0;
        size_t best = 0;
        for (size_t vector = 0; vector < original.table.size(); ++vector) {
            uint32_t gain = 0;
            for (size_t fault : rowFaults[vector]) {
                gain += !taken[vector] && greedyCounts[fault] < demandOf(fault) ? 1 : 0;
            }
            if (gain > bestGain) {
                bestGain = gain;
                best = vector;
            }
        }
        if (bestGain == 0) {
            break;
        }
        taken[best] = true;
        greedyMet += bestGain;
        for (size_t fault : rowFaults[best]) {
            ++greedyCounts[fault];
        }
    }
    EXPECT_GE(met, greedyMet) << "less demand met than the plain greedy choice";
    if (result.out.find("Upper bound") != std::string::npos) {
        EXPECT_GE(printedNumber(result.out, "Upper bound ([0-9]+) faults\n"), met);
    }
}

std::vector<DemandCase> demandCases() {
    return {
        {"c432", {"-n_detect", "2"}},
        {"c880", {"-n_detect", "5", "-no_unique_vectors"}},
        {"c1908", {"-n_detect", "20", "-fault_cover", "95"}},
        {"c432", {"-n_detect", "5", "-minimize"}},
        {"c880", {"-max_vectors", "5"}},
        {"c1908", {"-max_vectors", "10", "-n_detect", "2"}},
        {"c432", {"-max_vectors", "40", "-minimize"}},
        {"c432", {"-max_vectors", "35", "-minimize"}},
        {"c880", {"-max_vectors", "40", "-no_unique_vectors", "-fault_cover", "90"}},
        {"c880", {"-max_vectors", "20", "-fault_cover", "99"}},
        {"c1908", {"-max_vectors", "10", "-n_detect", "5", "-minimize"}},
    };
}

std::string demandCaseName(const testing::TestParamInfo<DemandCase>& info) {
    return designCaseName(testing::TestParamInfo<DesignCase>({info.param.design, info.param.options}, info.index));
}

INSTANTIATE_TEST_SUITE_P(Benchmarks, RealDesignDemands, testing::ValuesIn(demandCases()), demandCaseName);

// "-keep_table" writes the input's table rows and summary for the written
// vectors, and a default run on that file keeps every vector and writes the
// same rows. "-order coverage" writes the same set, each next the vector
// that adds the most detectable faults (lowest index on ties), and the
// report's positions follow.
TEST(RealDesignOutputs, KeepTheTableAndOrderByCoverage) {
    for (std::string design : {"c432", "c880", "c1908"}) {
        SCOPED_TRACE(design);
        const fs::path source = realDesignDir(design);
        const fs::path agm = source / (design + ".agm");
        const std::string tst = design + ".tst";
        OriginalDesign original = readOriginal(agm, source / tst);
        ScratchDir kept, again, ordered;
        BinaryResult first = runOnCopy(design, {"-keep_table"}, kept);
        ASSERT_EQ(first.status, 0) << first.err;
        uint32_t chosen = printedNumber(first.out, "Chose ([0-9]+) vectors\n");
        const std::string keptFile = readFile(kept / tst);
        std::vector<size_t> picked = writtenVectors(original, keptFile, chosen);
        OriginalDesign written = readOriginal(agm, kept / tst);
        ASSERT_EQ(written.table.size(), picked.size());
        EXPECT_EQ(written.summary, original.summary);
        for (size_t k = 0; k < picked.size(); ++k) {
            EXPECT_EQ(faultsOf(written.table[k]), faultsOf(original.table[picked[k]])) << "row " << k;
        }

        fs::copy_file(agm, again / (design + ".agm"));
        fs::copy_file(kept / tst, again / tst);
        RunRequest request;
        request.workDir = again.path();
        request.args = {design};
        BinaryResult second = runBinary(request);
        ASSERT_EQ(second.status, 0) << second.err;
        EXPECT_EQ(printedNumber(second.out, "Chose ([0-9]+) vectors\n"), chosen);
        EXPECT_EQ(readFile(again / tst), keptFile.substr(0, keptFile.find("\n\n.TABLE") + 1));

        BinaryResult byCoverage = runOnCopy(design, {"-order", "coverage", "-report", "r"}, ordered);
        ASSERT_EQ(byCoverage.status, 0) << byCoverage.err;
        std::vector<std::string> lines = textLines(readFile(ordered / tst));
        ASSERT_EQ(lines.size(), 4 + picked.size());
        std::vector<size_t> order;
        std::set<size_t> open(picked.begin(), picked.end());
        std::set<size_t> covered;
        while (!open.empty()) {
            size_t best = *open.begin(), bestGain = 0;
            for (size_t vector : open) {
                size_t gain = 0;
                for (size_t fault : faultsOf(original.table[vector])) {
                    char symbol = original.summary[fault / 2];
                    gain += (symbol == '&' || symbol == "01"[fault % 2]) && covered.count(fault) == 0 ? 1 : 0;
                }
                if (gain > bestGain) {
                    best = vector;
                    bestGain = gain;
                }
            }
            std::set<size_t> faults = faultsOf(original.table[best]);
            covered.insert(faults.begin(), faults.end());
            order.push_back(best);
            open.erase(best);
        }
        std::vector<std::vector<std::string>> report = csvRecords(readFile(ordered / "r.vectors.csv"));
        ASSERT_EQ(report.size(), order.size() + 1);
        for (size_t k = 0; k < order.size(); ++k) {
            EXPECT_EQ(lines[4 + k].substr(0, original.inputCount), original.inputs[order[k]]) << "row " << k;
            EXPECT_EQ(report[k + 1][0], std::to_string(k));
            EXPECT_EQ(report[k + 1][1], std::to_string(order[k]));
        }
    }
}

// A design name of bytes that are not UTF-8 and of control bytes still
// gives a plot an XML parser reads: each such byte is U+FFFD in its title.
TEST(RealDesignOutputs, PlotOfADesignNamedInBytesThatAreNotTextIsWellFormed) {
    const std::string name = "c17\xff\x01\xc3(\xed\xa0\x80\t&";
    const std::string replacement = "\xef\xbf\xbd";
    ScratchDir work;
    for (const char* extension : {".agm", ".tst"}) {
        fs::copy_file(realDesignDir("c17") / (std::string("c17") + extension), work / (name + extension));
    }
    RunRequest request;
    request.workDir = work.path();
    request.args = {"-report", "r", name};
    BinaryResult result = runBinary(request);
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string svg = readFile(work / "r.coverage.svg");
    EXPECT_EQ(parsePlot(svg).curves.size(), 2u);
    const std::string title = "c17" + replacement + replacement + replacement + "(" + replacement + replacement +
                              replacement + "\t&amp;: coverage";
    EXPECT_NE(svg.find("<title>" + title + "</title>"), std::string::npos) << svg.substr(0, 400);
}

// "-n_detect 1" chooses the default set and adds its line.
TEST(RealDesignDemands, OneDetectionIsTheDefault) {
    ScratchDir plainWork, oneWork;
    BinaryResult plain = runOnCopy("c880", {}, plainWork);
    BinaryResult one = runOnCopy("c880", {"-n_detect", "1"}, oneWork);
    EXPECT_EQ(readFile(oneWork / "c880.tst"), readFile(plainWork / "c880.tst"));
    std::string coveredLine = "Covered 856 of 902  (i.e. 94.900222 %)\n";
    EXPECT_NE(plain.out.find(coveredLine), std::string::npos);
    EXPECT_EQ(one.out, std::string(plain.out).replace(plain.out.find(coveredLine), coveredLine.size(),
                                                       coveredLine + "Detected at least 1 times: 856 of 856 faults\n"));
}

// "-max_vectors K -minimize" against the exact maximum of faults K vectors
// cover and the integer part of the LP relaxation's, both solved by an LP
// and integer programming solver outside the tool (bench/demand_exact.py).
TEST(RealDesignDemands, BudgetMeetsTheExactMaximumAndTheRelaxationsBound) {
    struct Solved {
        std::string design;
        uint32_t budget;
        uint32_t maximum;
        uint32_t relaxation;
    };
    const std::vector<Solved> table = {{"c432", 10, 397, 402},   {"c432", 20, 522, 525},
                                       {"c880", 10, 715, 737},   {"c880", 20, 820, 830},
                                       {"c1908", 10, 1368, 1377}, {"c1908", 20, 1527, 1528}};
    for (const Solved& solved : table) {
        ScratchDir work;
        BinaryResult result =
            runOnCopy(solved.design, {"-max_vectors", std::to_string(solved.budget), "-minimize"}, work);
        EXPECT_EQ(printedNumber(result.out, "Covered ([0-9]+) of "), solved.maximum) << solved.design;
        EXPECT_EQ(printedNumber(result.out, "Upper bound ([0-9]+) faults\n"), solved.relaxation) << solved.design;
    }
}

}  // namespace

namespace {

// The classes of the faults the input detects under `vectors`: each fault's
// detecting vectors among them, with the faults they do not detect as one
// class; per fault its signature, and the classes counted.
struct Classes {
    std::map<size_t, std::vector<size_t>> signature;
    size_t count = 0;
};

Classes classesUnder(const OriginalDesign& original, const std::vector<size_t>& vectors) {
    Classes classes;
    for (const std::string& row : original.table) {
        for (size_t fault : faultsOf(row)) {
            classes.signature[fault];
        }
    }
    for (size_t vector : vectors) {
        for (size_t fault : faultsOf(original.table[vector])) {
            classes.signature[fault].push_back(vector);
        }
    }
    std::set<std::vector<size_t>> distinct;
    for (auto& [fault, signature] : classes.signature) {
        std::sort(signature.begin(), signature.end());
        distinct.insert(signature);
    }
    classes.count = distinct.size();
    return classes;
}

// "-diagnostic -report" on c432, checked against classes counted here from
// the original table: the written vectors keep every class of the input,
// the console says so, the faults file numbers each fault's class in the
// order of its lowest fault with its size, and the vectors file counts the
// classes after each vector of its apply order.
TEST(RealDesignDiagnostic, KeepsEveryClassOfC432) {
    OriginalDesign original = readOriginal(realDesignDir("c432") / "c432.agm", realDesignDir("c432") / "c432.tst");
    ScratchDir work;
    BinaryResult result = runOnCopy("c432", {"-diagnostic", "-report", "r"}, work);
    ASSERT_EQ(result.status, 0) << result.err;
    uint32_t chosen = printedNumber(result.out, "Chose ([0-9]+) vectors\n");
    std::vector<size_t> picked = writtenVectors(original, readFile(work / "c432.tst"), chosen);

    std::vector<size_t> everyVector(original.table.size());
    std::iota(everyVector.begin(), everyVector.end(), size_t{0});
    size_t inputClasses = classesUnder(original, everyVector).count;
    Classes kept = classesUnder(original, picked);
    EXPECT_EQ(inputClasses, 327u);
    EXPECT_EQ(kept.count, inputClasses);
    EXPECT_LE(chosen, 78u) << "the greedy top-up's size";
    std::string line = "Distinguished " + std::to_string(kept.count) + " of " + std::to_string(inputClasses) +
                       " fault classes\n";
    EXPECT_NE(result.out.find("(i.e. 92.880259 %)\n" + line + "\nDeleting"), std::string::npos) << result.out;

    std::vector<std::vector<std::string>> faults = csvRecords(readFile(work / "r.faults.csv"));
    ASSERT_EQ(faults.size(), 2 * original.summary.size() + 1);
    EXPECT_EQ(faults[0][9] + "," + faults[0][10], "diagnostic_class,class_size");
    std::map<std::vector<size_t>, size_t> numberOf;
    std::map<std::vector<size_t>, size_t> sizeOf;
    for (const auto& [fault, signature] : kept.signature) {
        numberOf.emplace(signature, numberOf.size());
        ++sizeOf[signature];
    }
    for (size_t fault = 0; fault < 2 * original.summary.size(); ++fault) {
        const std::vector<std::string>& fields = faults[fault + 1];
        ASSERT_EQ(fields.size(), 11u);
        auto found = kept.signature.find(fault);
        bool detected = found != kept.signature.end();
        EXPECT_EQ(fields[9], detected ? std::to_string(numberOf[found->second]) : "") << "fault " << fault;
        EXPECT_EQ(fields[10], detected ? std::to_string(sizeOf[found->second]) : "") << "fault " << fault;
    }

    std::vector<std::vector<std::string>> vectors = csvRecords(readFile(work / "r.vectors.csv"));
    ASSERT_EQ(vectors.size(), picked.size() + 1);
    EXPECT_EQ(vectors[0][8], "classes_after");
    std::vector<size_t> applied(picked.size());
    std::map<size_t, std::string> classesAfter;  // by apply place
    size_t diagnosticPhases = 0;
    for (size_t k = 0; k < picked.size(); ++k) {
        const std::vector<std::string>& fields = vectors[k + 1];
        ASSERT_EQ(fields.size(), 9u);
        size_t place = std::stoul(fields[5]) - 1;
        ASSERT_LT(place, picked.size());
        applied[place] = picked[k];
        classesAfter[place] = fields[8];
        diagnosticPhases += fields[4] == "diagnostic" ? 1 : 0;
    }
    EXPECT_GT(diagnosticPhases, 0u);
    for (size_t place = 0; place < applied.size(); ++place) {
        std::vector<size_t> prefix(applied.begin(), applied.begin() + static_cast<std::ptrdiff_t>(place) + 1);
        EXPECT_EQ(classesAfter[place], std::to_string(classesUnder(original, prefix).count)) << "place " << place;
    }
}

}  // namespace
