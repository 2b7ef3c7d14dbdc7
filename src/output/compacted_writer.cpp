// The compacted file: the selected vectors, one character per variable.
#include "output/compacted_writer.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "base/fatal_error.h"
#include "output/replacement_file.h"

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

}  // namespace

void writeCompactedPatterns(const std::string& path, const std::vector<uint32_t>& chosen,
                            const PatternSet& patterns, const SsbddModel& model) {
    try {
        ReplacementFile out;
        openReplacement(out, path);
        char header[32];
        int length = std::snprintf(header, sizeof header, ".VECTORS %u\n\n", static_cast<uint32_t>(chosen.size()));
        appendBytes(out, header, static_cast<size_t>(length));
        appendBytes(out, ".PATTERNS\n\n", 11);
        RowLayout layout = layoutOf(model);
        for (size_t k = 0; k < chosen.size() && !out.failed; ++k) {
            writeRow(out, layout, patterns, model, chosen[k]);
        }
        commitReplacement(out);
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    } catch (const std::length_error&) {
        fatalError("Out of memory", NoLine);
    }
}
