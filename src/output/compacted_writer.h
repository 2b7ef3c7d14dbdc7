// Writes the chosen vectors as a new patterns file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ssbdd_model.h"
#include "output/replacement_file.h"
#include "patterns/pattern_set.h"

// Writes ".VECTORS <count>", ".PATTERNS" and one row per vector of `written`
// (input indices, in the order given) into `out`, and finishes it. With
// `withTable` the file is annotated as the input was: ".TABLE" with the
// fault-table row of each written vector in the same order, then ".FAULTS"
// with the summary as read. A table row holds '0', '1' or 'X' (a lower-case
// 'x' read is written 'X'), as many symbols as the widest row reaches to
// its last detection, at least one and at most the node count; a row read
// back reads the same.
void writeCompactedFile(ReplacementFile& out, const std::vector<uint32_t>& written, const PatternSet& patterns,
                        const SsbddModel& model, bool withTable);

// writeCompactedFile without the table, to `path` alone through a
// temporary file put in place at the end, so that a failure leaves an
// existing file as it was.
void writeCompactedPatterns(const std::string& path, const std::vector<uint32_t>& chosen,
                            const PatternSet& patterns, const SsbddModel& model);
