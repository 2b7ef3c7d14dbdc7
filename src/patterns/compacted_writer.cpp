// Placeholder until the writer lands.
#include "patterns/compacted_writer.h"

void writeCompactedPatterns(const std::string&, const SelectionState&, const PatternSet&,
                            const SsbddModel&) {}
