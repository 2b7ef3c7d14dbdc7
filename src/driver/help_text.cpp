#include "driver/help_text.h"

#ifndef TVCOMPACT_VERSION
#error "the build defines TVCOMPACT_VERSION"
#endif

const char* const HelpText =
    "usage: tvcompact [options] <design>\n"
    "\n"
    "Reads <design>.agm and the fault-simulated <design>.tst, chooses a small set\n"
    "of the vectors that detects the same faults, prints statistics and writes\n"
    "the chosen vectors as the new <design>.tst (or to FILE with -output).\n"
    "\n"
    "Options:\n"
    "  -fault_cover N       stop choosing once more than N % of the detectable faults are covered\n"
    "  -no_unique_vectors   start from the vector that detects the most faults, not the essential ones\n"
    "  -extension EXT       read the patterns from <design>.EXT instead of <design>.tst\n"
    "  -minimize            search for a smaller set and print a lower bound on its size\n"
    "  -n_detect N          detect every fault min(N, d) times, d the input vectors that detect it\n"
    "  -max_vectors K       choose at most K vectors, detecting as many faults as K vectors can\n"
    "  -diagnostic          also keep apart every two of the covered faults that the input vectors\n"
    "                       tell apart; with -fault_cover, among the faults the set covers; with\n"
    "                       -max_vectors, only in the room the budget's set leaves; with -n_detect,\n"
    "                       the demands too; with -minimize, a near-minimal such set\n"
    "  -report PREFIX       also write PREFIX.faults.csv, PREFIX.vectors.csv and PREFIX.coverage.svg\n"
    "  -output FILE         write the compacted patterns to FILE; the patterns file read stays as it is\n"
    "  -keep_table          write the chosen vectors' fault table and summary too, ready to compact again\n"
    "  -order file|coverage write the vectors in file order (default) or the one adding most first\n"
    "  -h, -help, --help    print this text and exit\n"
    "  --version            print the version and exit\n"
    "\n"
    "Exit status: 0 after a complete run, 14 after an error (the message is on\n"
    "standard error, and every file is left as it was).\n";

const char* const VersionText = "tvcompact " TVCOMPACT_VERSION "\n";
