// The run rewrites the patterns file it read. However the run ends while it
// writes, killed at any moment or stopped by a file-size limit, the file is
// afterwards either the old one or the complete new one, never a part; the
// report files are missing or complete, and complete whenever the patterns
// file is new; anything else left is a temporary file named as its target,
// a dot and six letters or digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <iostream>
#include <random>
#include <utility>

#include "support/tool_run.h"

namespace {

constexpr int Vectors = 512;
constexpr int Inputs = 9;
constexpr int Variables = 20000;

// Every vector alone detects fault 0 of its own node, so all are chosen and
// the compacted file holds 512 rows of 20000 characters, about 10 MB.
std::string killModel() {
    return "STAT# " + std::to_string(Vectors) + ", " + std::to_string(Variables) + ", 1, " +
           std::to_string(Inputs) + ", 0, 1\nMODE# STRUCTURAL\n";
}

std::string inputsOf(int vector) {
    std::string row;
    for (int bit = Inputs - 1; bit >= 0; --bit) {
        row += ((vector >> bit) & 1) != 0 ? '1' : '0';
    }
    return row;
}

std::string killPatterns() {
    std::string text = ".VECTORS " + std::to_string(Vectors) + "\n.PATTERNS\n";
    for (int v = 0; v < Vectors; ++v) {
        text += inputsOf(v) + "\n";
    }
    text += ".TABLE\n";
    for (int v = 0; v < Vectors; ++v) {
        text += std::string(v, 'X') + "0\n";
    }
    return text + ".FAULTS\n" + std::string(Vectors, '0') + "\n";
}

std::string expectedCompacted() {
    std::string text = ".VECTORS " + std::to_string(Vectors) + "\n\n.PATTERNS\n\n";
    for (int v = 0; v < Vectors; ++v) {
        text += inputsOf(v) + std::string(Variables - Inputs, 'x') + "\n";
    }
    return text;
}

const std::string Targets[] = {"design.tst", "r.faults.csv", "r.vectors.csv", "r.coverage.svg"};

bool isTemporaryOfTarget(const std::string& name) {
    for (const std::string& target : Targets) {
        if (name.size() == target.size() + 7 && name.compare(0, target.size() + 1, target + ".") == 0 &&
            std::all_of(name.end() - 6, name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); })) {
            return true;
        }
    }
    return false;
}

struct KillTally {
    int finished = 0;       // the run ended before the kill
    int oldFile = 0;        // killed; the file read is still there
    int newFile = 0;        // killed after the rename
    int leftTemporary = 0;  // killed during the write: its temporary file stays behind
};

TEST(WriteKilled, LeavesTheOldFileOrTheCompleteNewOne) {
    const std::string model = killModel();
    const std::string old = killPatterns();
    const std::string compacted = expectedCompacted();
    ScratchDir dir;
    writeFile(dir / "design.agm", model);
    RunRequest request;
    request.workDir = dir.path();
    request.args = {"-report", "r", "design"};

    // One whole run: its output, and how long a run takes, to spread the kills over.
    writeFile(dir / "design.tst", old);
    auto start = std::chrono::steady_clock::now();
    BinaryResult whole = runBinary(request);
    auto runTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(whole.status, 0) << whole.err;
    ASSERT_EQ(readFile(dir / "design.tst"), compacted);
    std::map<std::string, std::string> reports = directoryFiles(dir.path());
    for (const std::string& report : {Targets[1], Targets[2], Targets[3]}) {
        fs::remove(dir / report);
    }

    std::mt19937 random(77);
    std::uniform_int_distribution<long> moment(0, runTime.count() + runTime.count() / 5);
    KillTally tally;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        writeFile(dir / "design.tst", old);
        request.killAfter = std::chrono::microseconds(moment(random));
        BinaryResult result = runBinary(request);
        ASSERT_TRUE(result.status == 0 || result.status == 128 + 9) << result.status << result.err;

        std::map<std::string, std::string> files = directoryFiles(dir.path());
        EXPECT_EQ(files["design.agm"], model);
        const std::string left = files["design.tst"];
        EXPECT_TRUE(left == old || left == compacted) << "design.tst holds " << left.size() << " bytes";
        for (const std::string& report : {Targets[1], Targets[2], Targets[3]}) {
            if (files.count(report) != 0) {
                EXPECT_EQ(files[report], reports[report]) << report;
                fs::remove(dir / report);
            } else {
                EXPECT_NE(left, compacted) << "design.tst is new, " << report << " is missing";
            }
        }
        bool temporary = false;
        for (const auto& [name, content] : files) {
            if (name == "design.agm" || std::find(std::begin(Targets), std::end(Targets), name) != std::end(Targets)) {
                continue;
            }
            EXPECT_TRUE(isTemporaryOfTarget(name)) << "unexpected file " << name;
            EXPECT_EQ(result.status, 128 + 9) << "only a killed run may leave " << name;
            temporary = true;
            fs::remove(dir / name);
        }
        if (result.status == 0) {
            ++tally.finished;
            EXPECT_EQ(left, compacted);
        } else {
            (left == old ? tally.oldFile : tally.newFile) += 1;
            tally.leftTemporary += temporary ? 1 : 0;
        }
    }
    std::cout << "kills: " << tally.finished << " runs finished first; " << tally.oldFile
              << " kills left the old file, " << tally.leftTemporary
              << " of them with the writer's temporary file beside it; " << tally.newFile
              << " left the new file\n";
    RecordProperty("finished", tally.finished);
    RecordProperty("oldFile", tally.oldFile);
    RecordProperty("newFile", tally.newFile);
    RecordProperty("leftTemporary", tally.leftTemporary);
}

// With SIGXFSZ ignored as by a shell's ulimit, and with its default action,
// which would kill the process in the middle of the write.
TEST(WriteStoppedByFileSizeLimit, LeavesTheOldFileAtEveryLimit) {
    const std::string model = killModel();
    const std::string old = killPatterns();
    const std::string compacted = expectedCompacted();
    auto runUnder = [&](unsigned long limit, bool ignoreSignal) {
        ScratchDir dir;
        writeFile(dir / "design.agm", model);
        writeFile(dir / "design.tst", old);
        RunRequest request;
        request.workDir = dir.path();
        request.args = {"design"};
        request.fileSizeLimit = limit;
        request.ignoreFileSizeSignal = ignoreSignal;
        BinaryResult result = runBinary(request);
        return std::make_pair(result, directoryFiles(dir.path()));
    };
    // Around the writer's 1 MiB buffer, and up to one byte short of the file.
    const unsigned long limits[] = {4096, (1UL << 20) - 1, 1UL << 20, (1UL << 20) + 1, 5UL << 20,
                                    compacted.size() - 1};
    for (bool ignoreSignal : {true, false}) {
        for (unsigned long limit : limits) {
            SCOPED_TRACE("limit " + std::to_string(limit) + (ignoreSignal ? ", SIGXFSZ ignored" : ""));
            auto [result, files] = runUnder(limit, ignoreSignal);
            EXPECT_EQ(result.status, 14);
            EXPECT_EQ(result.err, "\nError: design.tst : Can't write file!\n");
            EXPECT_EQ(files.size(), 2u) << "the temporary file is removed";
            EXPECT_EQ(files["design.tst"], old);
        }
        auto [result, files] = runUnder(compacted.size(), ignoreSignal);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(files["design.tst"], compacted);
    }
}

}  // namespace
