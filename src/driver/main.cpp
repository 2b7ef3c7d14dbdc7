// Entry point: one run of the tool; a fatal error ends it with status 14.
#include "driver/fatal_exit.h"
#include "driver/run.h"

int main(int argc, char** argv) { return runReportingFatalErrors(runTool, argc, argv); }
