#include "driver/console.h"

#include <cstdio>
#include <ctime>

namespace {

std::clock_t timerStart = 0;

}  // namespace

void reportProgress(const std::string& text) {
    std::fputs("\n", stdout);
    std::fputs(text.c_str(), stdout);
    std::fputs("... ", stdout);
    std::fflush(stdout);
}

void reportDone() {
    std::fputs("OK\n", stdout);
    std::fflush(stdout);
}

void startTimer() { timerStart = std::clock(); }

void reportTime() {
    // The time is counted in whole milliseconds of process time.
    std::clock_t elapsed = std::clock() - timerStart;
    long long milliseconds = static_cast<long long>(elapsed) * 1000 / CLOCKS_PER_SEC;
    std::printf("Time, used by process: %f \n", static_cast<double>(milliseconds) * 0.001);
    std::fflush(stdout);
}
