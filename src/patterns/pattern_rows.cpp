// The PATTERNS row and fault summary readers. Each works on the spans of the
// current block and takes bytes until its row ends, so a row may run across
// any number of blocks.
#include <algorithm>
#include <array>
#include <cstring>

#include "base/fatal_error.h"
#include "patterns/patterns_reading.h"

namespace {

constexpr uint8_t NotASymbol = 0xFF;

// PATTERNS input symbols to the values they store.
constexpr std::array<uint8_t, 256> PatternValues = [] {
    std::array<uint8_t, 256> values{};
    values.fill(NotASymbol);
    values['0'] = values['L'] = values['l'] = 0;
    values['1'] = values['H'] = values['h'] = 1;
    values['x'] = UnspecifiedValue;
    return values;
}();

constexpr std::array<bool, 256> SummarySymbols = [] {
    std::array<bool, 256> symbols{};
    for (unsigned char symbol : {'&', '0', '1', 'X', 'x'}) {
        symbols[symbol] = true;
    }
    return symbols;
}();

// Whether every constant variable carries a value; the answer is the same
// for every row, so it is worked out once, at the first row.
bool constantsHaveValues(PatternsReader& reader) {
    if (reader.constants == ConstantsCheck::NotYet) {
        reader.constants = ConstantsCheck::Valid;
        const SsbddModel& model = reader.model;
        uint64_t last = uint64_t{model.inputCount} + model.constantCount;
        for (uint64_t position = model.inputCount; position < last; ++position) {
            uint32_t flags = position < model.variables.size() ? model.variables[position].flags : 0;
            if ((flags & (VarConstZero | VarConstOne)) == 0) {
                reader.constants = ConstantsCheck::Invalid;
                break;
            }
        }
    }
    return reader.constants == ConstantsCheck::Valid;
}

}  // namespace

void skipLine(PatternsReader& reader) {
    BlockInput& input = reader.input;
    while (hasByte(input)) {
        const void* lineFeed = std::memchr(input.next, '\n', bytesInBlock(input));
        if (lineFeed != nullptr) {
            input.next = static_cast<const char*>(lineFeed) + 1;
            ++reader.lineCount;
            return;
        }
        input.next = input.end;
    }
}

void readPatternRow(PatternsReader& reader, uint32_t vector) {
    BlockInput& input = reader.input;
    PatternSet& patterns = reader.patterns;
    const uint64_t inputs = reader.model.inputCount;
    const uint64_t base = uint64_t{vector} * inputs;
    uint64_t position = 0;
    while (position < inputs && hasByte(input)) {
        size_t span = static_cast<size_t>(std::min<uint64_t>(inputs - position, bytesInBlock(input)));
        if (patterns.inputValues.size() < base + position + span) {
            patterns.inputValues.resize(base + position + span, UnspecifiedValue);
        }
        uint8_t* values = patterns.inputValues.data() + base + position;
        for (size_t k = 0; k < span; ++k) {
            uint8_t value = PatternValues[static_cast<unsigned char>(input.next[k])];
            if (value == NotASymbol) {
                fatalError("Unknown symbol in patterns file", currentLine(reader));
            }
            values[k] = value;
        }
        input.next += span;
        position += span;
    }
    if (!constantsHaveValues(reader)) {
        fatalError("Constant variable expected", currentLine(reader));
    }
    if (vector >= patterns.constantsSet.size()) {
        patterns.constantsSet.resize(size_t{vector} + 1, 0);
    }
    patterns.constantsSet[vector] = 1;
    skipLine(reader);
}


void readFaultSummary(PatternsReader& reader) {
    BlockInput& input = reader.input;
    std::string& summary = reader.patterns.faultSummary.symbols;
    const uint64_t nodes = reader.model.nodeCount;
    uint64_t position = 0;
    while (hasByte(input)) {
        size_t available = bytesInBlock(input);
        size_t taken = 0;
        while (taken < available && SummarySymbols[static_cast<unsigned char>(input.next[taken])]) {
            if (position == nodes) {
                fatalError("FAULTS section too long", currentLine(reader));
            }
            if (position < summary.size()) {
                summary[position] = input.next[taken];
            } else {
                summary.push_back(input.next[taken]);
            }
            ++position;
            ++taken;
        }
        input.next += taken;
        if (taken < available) {
            skipLine(reader);
            return;
        }
    }
}
