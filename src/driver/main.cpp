// Entry point: runs the tool and turns a fatal error into its message on
// standard error and exit status 14.
#include <cstdio>
#include <new>

#include "driver/console.h"
#include "driver/run.h"

int main(int argc, char** argv) {
    try {
        return runTool(argc, argv);
    } catch (const FatalError& error) {
        std::fflush(stdout);
        std::fputs(error.text.c_str(), stderr);
        std::fflush(stderr);
        return FatalExitStatus;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fputs("\nError: Out of memory!\n", stderr);
        return FatalExitStatus;
    }
}
