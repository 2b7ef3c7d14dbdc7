// Placeholder until the patterns reader lands.
#include "driver/console.h"
#include "patterns/pattern_set.h"

uint8_t vectorValue(const PatternSet&, const SsbddModel&, uint32_t, uint32_t) {
    return UnspecifiedValue;
}

PatternSet readPatternSet(const std::string& path, const SsbddModel&) {
    reportProgress("Reading test patterns file " + path);
    reportDone();
    return PatternSet{};
}

void releasePatternSet(PatternSet& patterns) { patterns = PatternSet{}; }
