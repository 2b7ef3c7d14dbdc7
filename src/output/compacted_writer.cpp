// The compacted file: the selected vectors, one character per variable.
#include "output/compacted_writer.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "base/fatal_error.h"
#include "output/replacement_group.h"
#include "select/faults/fault_rows.h"

namespace {

// How a row is laid out: the inputs as read, then the constants, then
// positions that never hold a value and so are always 'x'.
struct RowLayout {
    uint64_t variables = 0;
    uint64_t inputs = 0;          // input positions within the row
    uint64_t constantsEnd = 0;    // one past the last constant position within the row
    std::string constantChars;    // the constants of a vector whose row was read
};

char inputChar(uint8_t value) {
    if (value == UnspecifiedValue) {
        return 'x';
    }
    return value == 0 ? '0' : static_cast<char>(48 + value);
}

// A value at a position past the inputs: lower case before the outputs.
char variableChar(uint8_t value, uint64_t position, const SsbddModel& model) {
    if (value == UnspecifiedValue) {
        return 'x';
    }
    bool output = position + model.outputCount >= model.variableCount;
    if (value == 0) {
        return output ? 'L' : 'l';
    }
    return output ? 'H' : 'h';
}

RowLayout layoutOf(const SsbddModel& model) {
    RowLayout layout;
    layout.variables = model.variableCount;
    layout.inputs = std::min<uint64_t>(model.inputCount, layout.variables);
    layout.constantsEnd = std::min<uint64_t>(uint64_t{model.inputCount} + model.constantCount, layout.variables);
    return layout;
}

// Built at the first vector that needs it: such a vector's row was read, so
// every constant has its value in the model.
const std::string& constantCharsOf(RowLayout& layout, const SsbddModel& model) {
    if (layout.constantChars.empty() && layout.constantsEnd > layout.inputs) {
        for (uint64_t position = layout.inputs; position < layout.constantsEnd; ++position) {
            uint8_t value = (variableFlags(model, static_cast<uint32_t>(position)) & VarConstZero) != 0 ? 0 : 1;
            layout.constantChars.push_back(variableChar(value, position, model));
        }
    }
    return layout.constantChars;
}

void writeRow(ReplacementFile& out, RowLayout& layout, const PatternSet& patterns, const SsbddModel& model,
              uint32_t vector) {
    bool rowRead = vector < patternRowCount(patterns) && patterns.constantsSet[vector] != 0;
    uint64_t written = 0;
    if (rowRead) {
        char chars[256];
        size_t base = size_t{vector} * patterns.inputWidth;
        while (written < layout.inputs) {
            size_t part = static_cast<size_t>(std::min<uint64_t>(layout.inputs - written, sizeof chars));
            for (size_t k = 0; k < part; ++k) {
                size_t index = base + written + k;
                chars[k] = inputChar(index < patterns.inputValues.size() ? patterns.inputValues[index]
                                                                           : UnspecifiedValue);
            }
            appendBytes(out, chars, part);
            written += part;
        }
        const std::string& constants = constantCharsOf(layout, model);
        appendBytes(out, constants.data(), constants.size());
        written += constants.size();
    }
    appendRun(out, 'x', layout.variables - written);
    appendBytes(out, "\n", 1);
}

// Symbols per written table row: up to the last node any written row
// detects a fault of, at least one where the model has a node.
uint64_t tableWidth(const std::vector<uint32_t>& written, const PatternSet& patterns, uint32_t nodeCount) {
    uint64_t reach = 0;
    for (uint32_t vector : written) {
        if (vector >= patterns.faultTable.rows.size()) {
            continue;
        }
        reach = std::max(reach, nodesReached(patterns.faultTable.rows[vector]));
    }
    return std::min<uint64_t>(std::max<uint64_t>(reach, 1), nodeCount);
}

void writeTableRow(ReplacementFile& out, const PatternSet& patterns, uint32_t vector, uint64_t width) {
    const FaultTableRow* row = vector < patterns.faultTable.rows.size() ? &patterns.faultTable.rows[vector] : nullptr;
    char chars[64];
    for (uint64_t first = 0; first < width; first += 64) {
        uint64_t word = first / 64;
        uint64_t fault0 = row != nullptr && word < row->words ? row->bits[word] : 0;
        uint64_t fault1 = row != nullptr && word < row->words ? row->bits[row->words + word] : 0;
        size_t part = static_cast<size_t>(std::min<uint64_t>(width - first, 64));
        for (size_t k = 0; k < part; ++k) {
            chars[k] = (fault0 >> k & 1) != 0 ? '0' : (fault1 >> k & 1) != 0 ? '1' : 'X';
        }
        appendBytes(out, chars, part);
    }
    // A model without nodes: a row that holds no symbol but still counts as one.
    appendBytes(out, width == 0 ? "-\n" : "\n", width == 0 ? 2 : 1);
}

void writeTable(ReplacementFile& out, const std::vector<uint32_t>& written, const PatternSet& patterns,
                uint32_t nodeCount) {
    appendText(out, "\n.TABLE\n\n");
    uint64_t width = tableWidth(written, patterns, nodeCount);
    for (size_t k = 0; k < written.size() && !out.failed; ++k) {
        writeTableRow(out, patterns, written[k], width);
    }
    appendText(out, "\n.FAULTS\n\n");
    const std::string& summary = patterns.faultSummary.symbols;
    appendBytes(out, summary.data(), summary.size());
    appendBytes(out, "\n", 1);
}

}  // namespace

void writeCompactedFile(ReplacementFile& out, const std::vector<uint32_t>& written, const PatternSet& patterns,
                        const SsbddModel& model, bool withTable) {
    try {
        char header[32];
        int length = std::snprintf(header, sizeof header, ".VECTORS %u\n\n", static_cast<uint32_t>(written.size()));
        appendBytes(out, header, static_cast<size_t>(length));
        appendBytes(out, ".PATTERNS\n\n", 11);
        RowLayout layout = layoutOf(model);
        for (size_t k = 0; k < written.size() && !out.failed; ++k) {
            writeRow(out, layout, patterns, model, written[k]);
        }
        if (withTable) {
            writeTable(out, written, patterns, model.nodeCount);
        }
        finishReplacement(out);
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    } catch (const std::length_error&) {
        fatalError("Out of memory", NoLine);
    }
}

void writeCompactedPatterns(const std::string& path, const std::vector<uint32_t>& chosen,
                            const PatternSet& patterns, const SsbddModel& model) {
    ReplacementGroup group;
    writeCompactedFile(addReplacement(group, path, ExistingFile::KeepMode), chosen, patterns, model, false);
    replaceGroup(group);
}
