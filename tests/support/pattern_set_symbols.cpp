#include "support/pattern_set_symbols.h"

#include "patterns/fault_table.h"

void storeTableRow(FaultTable& table, uint32_t row, std::string_view symbols) {
    auto words = static_cast<uint32_t>((symbols.size() + 63) / 64);
    uint64_t* bits = words > 0 ? rowRoom(table, 2 * size_t{words}, ChunkSource{}) : nullptr;
    uint32_t width = 0;
    for (size_t node = 0; node < symbols.size(); ++node) {
        char symbol = symbols[node];
        if (symbol != 'X') {
            ++width;
        }
        uint64_t bit = uint64_t{1} << (node % 64);
        if (symbol == '0') {
            bits[node / 64] |= bit;
        } else if (symbol == '1') {
            bits[words + node / 64] |= bit;
        }
    }
    storeRowInRoom(table, row, words, width);
}

char tableSymbol(const FaultTable& table, uint32_t row, uint32_t node) {
    if (row >= table.rows.size()) {
        return 'X';
    }
    const FaultTableRow& stored = table.rows[row];
    uint32_t word = node / 64;
    if (word >= stored.words) {
        return 'X';
    }
    uint64_t bit = uint64_t{1} << (node % 64);
    if (stored.bits[word] & bit) {
        return '0';
    }
    if (stored.bits[stored.words + word] & bit) {
        return '1';
    }
    return 'X';
}

uint8_t vectorValue(const PatternSet& patterns, const SsbddModel& model, uint32_t vector, uint32_t position) {
    if (vector >= patternRowCount(patterns) || vector >= patterns.vectorCount) {
        return UnspecifiedValue;
    }
    if (position < patterns.inputWidth) {
        size_t index = size_t{vector} * patterns.inputWidth + position;
        return index < patterns.inputValues.size() ? patterns.inputValues[index] : UnspecifiedValue;
    }
    if (position - patterns.inputWidth < model.constantCount && patterns.constantsSet[vector] != 0) {
        return (variableFlags(model, position) & VarConstZero) != 0 ? 0 : 1;
    }
    return UnspecifiedValue;
}
