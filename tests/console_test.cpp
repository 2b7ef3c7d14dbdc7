// The console reporters: exact texts of progress, errors and time lines, and
// how a run that lets an exception out ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <stdexcept>

#include "base/fatal_error.h"
#include "driver/console.h"
#include "driver/fatal_exit.h"
#include "driver/statistics.h"
#include "support/stdout_capture.h"

namespace {

std::string fatalText(void (*raise)()) {
    try {
        raise();
    } catch (const FatalError& error) {
        return error.text;
    }
    return "no error raised";
}

TEST(FatalReporters, PrintTheLineFormOnlyForARealLine) {
    EXPECT_EQ(fatalText([] { fatalError("Out of memory", NoLine); }), "\nError: Out of memory!\n");
    EXPECT_EQ(fatalText([] { fatalError("Corrupt DD-model file", 0); }),
              "\nError at line 0: Corrupt DD-model file!\n");
    EXPECT_EQ(fatalText([] { fatalError("Line too long", 2147483647); }),
              "\nError at line 2147483647: Line too long!\n");
    EXPECT_EQ(fatalText([] { fatalError("x", -2); }), "\nError at line -2: x!\n");
}

// The readers count lines in 64 bits; a count past the signed 32-bit
// numbers of the messages is given as the largest of them, never wrapped.
TEST(FatalReporters, GiveLineCountsBeyond32BitsAsTheLargestNumber) {
    EXPECT_EQ(messageLine(1), 1);
    EXPECT_EQ(messageLine(2147483647u), 2147483647);
    EXPECT_EQ(messageLine(2147483648u), 2147483647);
    EXPECT_EQ(messageLine(4294967297u), 2147483647);
    EXPECT_EQ(messageLine(UINT64_MAX), 2147483647);
}

TEST(FatalReporters, PutThePathBeforeTheMessage) {
    EXPECT_EQ(fatalText([] { fatalFileError("a/b.agm", "Can't open DD-model file", NoLine); }),
              "\nError: a/b.agm : Can't open DD-model file!\n");
    EXPECT_EQ(fatalText([] { fatalFileError("c.tst", "Can't open file", 12); }),
              "\nError at line 12: c.tst : Can't open file!\n");
}

TEST(FatalReporters, KeepLongMessagesWhole) {
    std::string path(5000, 'p');
    try {
        fatalFileError(path, "File name too long", 7);
        FAIL();
    } catch (const FatalError& error) {
        EXPECT_EQ(error.text, "\nError at line 7: " + path + " : File name too long!\n");
    }
}

using RunFunction = int (*)(int, const char* const*);

void exitThrough(RunFunction run) { std::exit(runReportingFatalErrors(run, 0, nullptr)); }

TEST(FatalExit, AnyExceptionThatEscapesARunIsFatal) {
    struct Case {
        RunFunction run;
        std::string err;
    };
    const Case cases[] = {
        {[](int, const char* const*) -> int { throw std::length_error("vector::reserve"); },
         "\nError: Out of memory!\n"},
        {[](int, const char* const*) -> int { throw std::runtime_error("no thread"); },
         "\nError: Internal error: no thread!\n"},
        {[](int, const char* const*) -> int { throw 7; }, "\nError: Internal error!\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(exitThrough(c.run), testing::ExitedWithCode(FatalExitStatus), testing::Eq(c.err));
    }
}

TEST(Progress, BracketsAStepOnOneLine) {
    CapturedStdout capture;
    reportProgress("Reading SSBDD-model file adder.agm");
    reportDone();
    EXPECT_EQ(capture.take(), "\nReading SSBDD-model file adder.agm... OK\n");
}

TEST(Timer, ReportsZeroRightAfterTheStart) {
    CapturedStdout capture;
    startTimer();
    reportTime();
    EXPECT_EQ(capture.take(), "Time, used by process: 0.000000 \n");
}

TEST(Timer, CountsProcessTime) {
    startTimer();
    // Spins until the process clock has moved 20 ms, however fast the machine.
    const std::clock_t start = std::clock();
    while (std::clock() - start < CLOCKS_PER_SEC / 50) {
    }
    CapturedStdout capture;
    reportTime();
    std::string line = capture.take();
    EXPECT_TRUE(std::regex_match(line, std::regex("Time, used by process: [0-9]+\\.[0-9]{6} \n")));
    EXPECT_NE(line, "Time, used by process: 0.000000 \n");
}

TEST(Statistics, PrintCyclesChosenAndCoverage) {
    CapturedStdout capture;
    printStatistics(3, 2, 6, 6);
    EXPECT_EQ(capture.take(),
              "Used 3 cycles\nChose 2 vectors\nCovered 6 of 12  (i.e. 50.000000 %)\n");
}

TEST(Statistics, PrintZeroPercentWithoutNodes) {
    CapturedStdout capture;
    printStatistics(0, 0, 0, 0);
    EXPECT_EQ(capture.take(),
              "Used 0 cycles\nChose 0 vectors\nCovered 0 of 0  (i.e. 0.000000 %)\n");
}

TEST(Statistics, RoundThePercentageToSixDecimals) {
    CapturedStdout capture;
    printStatistics(1, 1, 1, 3);
    printStatistics(1, 1, 1, 256);
    EXPECT_EQ(capture.take(),
              "Used 1 cycles\nChose 1 vectors\nCovered 1 of 6  (i.e. 16.666667 %)\n"
              "Used 1 cycles\nChose 1 vectors\nCovered 1 of 512  (i.e. 0.195312 %)\n");
}

}  // namespace
