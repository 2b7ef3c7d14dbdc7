// The row readers. Each works on the spans of the current block and takes
// bytes until its row ends, so a row may run across any number of blocks.
#include <algorithm>
#include <array>
#include <cstring>

#include "driver/console.h"
#include "patterns/patterns_reading.h"
#include "patterns/table_row_scan.h"

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

// Set bits of a word, without the library call that std::popcount becomes
// on processors without a population-count instruction.
inline uint32_t countBits(uint64_t bits) {
    bits = bits - ((bits >> 1) & 0x5555555555555555ULL);
    bits = (bits & 0x3333333333333333ULL) + ((bits >> 2) & 0x3333333333333333ULL);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<uint32_t>((bits * 0x0101010101010101ULL) >> 56);
}

void ensureScratchWords(TableRowScratch& scratch, size_t words) {
    if (scratch.fault0.size() >= words) {
        return;
    }
    size_t size = std::max(words, 2 * scratch.fault0.size());
    scratch.fault0.resize(size);
    scratch.fault1.resize(size);
    scratch.lowerX.resize(size);
}

RowPlanes planesOf(TableRowScratch& scratch) {
    return RowPlanes{scratch.fault0.data(), scratch.fault1.data(), scratch.lowerX.data()};
}

// A row that ends before an earlier row stored at the same index keeps that
// row's symbols beyond its own end.
void mergeEarlierTail(PatternsReader& reader, uint32_t vector, uint64_t symbols, const FaultTableRow& earlier) {
    TableRowScratch& scratch = reader.scratch;
    auto found = reader.lowerXRows.find(vector);
    const uint64_t* earlierX = found == reader.lowerXRows.end() ? nullptr : found->second.data();
    for (uint64_t word = symbols / 64; word < earlier.words; ++word) {
        uint64_t keep = word == symbols / 64 ? ~uint64_t{0} << (symbols % 64) : ~uint64_t{0};
        scratch.fault0[word] |= earlier.bits[word] & keep;
        scratch.fault1[word] |= earlier.bits[earlier.words + word] & keep;
        if (earlierX != nullptr) {
            scratch.lowerX[word] |= earlierX[word] & keep;
        }
    }
}

// Moves the scratch row of `symbols` symbols into the table as row `vector`.
void storeScratchRow(PatternsReader& reader, uint32_t vector, uint64_t symbols) {
    FaultTable& table = reader.patterns.faultTable;
    TableRowScratch& scratch = reader.scratch;
    auto words = static_cast<uint32_t>((symbols + 63) / 64);
    if (vector < table.rows.size() && uint64_t{table.rows[vector].words} * 64 > symbols) {
        FaultTableRow earlier = table.rows[vector];
        ensureScratchWords(scratch, earlier.words + size_t{1});
        mergeEarlierTail(reader, vector, symbols, earlier);
        words = earlier.words;
    }

    // The three planes never share a bit.
    uint32_t width = 0;
    uint64_t lowerX = 0;
    for (uint32_t word = 0; word < words; ++word) {
        width += countBits(scratch.fault0[word] | scratch.fault1[word] | scratch.lowerX[word]);
        lowerX |= scratch.lowerX[word];
    }
    bool anyLowerX = lowerX != 0;
    uint64_t* bits = reserveRowBits(table, words, &reader.chunkSupply);
    if (words > 0) {
        std::memcpy(bits, scratch.fault0.data(), words * sizeof(uint64_t));
        std::memcpy(bits + words, scratch.fault1.data(), words * sizeof(uint64_t));
    }
    placeTableRow(table, vector, FaultTableRow{bits, words, width});
    if (anyLowerX) {
        reader.lowerXRows[vector].assign(scratch.lowerX.begin(), scratch.lowerX.begin() + words);
    } else {
        reader.lowerXRows.erase(vector);
    }

    size_t dirty = std::min(scratch.fault0.size(), std::max<size_t>(scratch.dirtyWords, words + size_t{1}));
    std::fill_n(scratch.fault0.begin(), dirty, 0);
    std::fill_n(scratch.fault1.begin(), dirty, 0);
    std::fill_n(scratch.lowerX.begin(), dirty, 0);
    scratch.dirtyWords = 0;
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

void readTableRow(PatternsReader& reader, uint32_t vector) {
    BlockInput& input = reader.input;
    TableRowScratch& scratch = reader.scratch;
    const uint64_t nodes = reader.model.nodeCount;
    uint64_t symbols = 0;
    while (hasByte(input)) {
        // Never take more than one symbol beyond the node count.
        size_t limit = static_cast<size_t>(std::min<uint64_t>(bytesInBlock(input), nodes - symbols + 1));
        ensureScratchWords(scratch, static_cast<size_t>((symbols + limit) / 64 + 2));
        size_t taken = scanTableSymbols(input.next, limit, planesOf(scratch), symbols);
        symbols += taken;
        input.next += taken;
        scratch.dirtyWords = std::max(scratch.dirtyWords, static_cast<size_t>(symbols / 64 + 2));
        if (symbols > nodes) {
            fatalError("Line of table too long", currentLine(reader));
        }
        if (taken < limit) {
            skipLine(reader);
            break;
        }
    }
    storeScratchRow(reader, vector, symbols);
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
