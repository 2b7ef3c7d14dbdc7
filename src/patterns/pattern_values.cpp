// Reading a vector back, and releasing the patterns data.
#include "patterns/pattern_set.h"

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

void releasePatternSet(PatternSet& patterns) { patterns = PatternSet{}; }
