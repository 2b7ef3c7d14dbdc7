// Vector numbers packed one per node in fields of as many bits as the
// vector count needs: the seeding's record of the first vector that detects
// each fault costs bits per node, not a 32-bit number.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

struct VectorFields {
    uint64_t* words = nullptr;
    uint32_t width = 0;  // bits per field, at most 32; 0 when every field is vector 0
};

// Bits per field for vectors 0 to vectorCount - 1.
inline uint32_t vectorFieldWidth(uint32_t vectorCount) {
    return vectorCount <= 1 ? 0 : static_cast<uint32_t>(std::bit_width(vectorCount - 1));
}

// Words that hold the fields of 64 * nodeWords nodes.
inline size_t vectorFieldWords(size_t nodeWords, uint32_t width) {
    return nodeWords * width;
}

// The fields from node 64 * word on, which begin at a word boundary.
inline VectorFields fieldsFromWord(VectorFields fields, size_t word) {
    return VectorFields{fields.width == 0 ? fields.words : fields.words + word * fields.width, fields.width};
}

inline void storeVectorField(VectorFields fields, size_t node, uint32_t vector) {
    if (fields.width == 0) {
        return;
    }
    uint64_t mask = (uint64_t{1} << fields.width) - 1;
    size_t bit = node * fields.width;
    uint64_t* word = fields.words + bit / 64;
    auto shift = static_cast<uint32_t>(bit % 64);
    word[0] = (word[0] & ~(mask << shift)) | (uint64_t{vector} << shift);
    if (shift + fields.width > 64) {
        word[1] = (word[1] & ~(mask >> (64 - shift))) | (uint64_t{vector} >> (64 - shift));
    }
}

inline uint32_t loadVectorField(const uint64_t* words, uint32_t width, size_t node) {
    if (width == 0) {
        return 0;
    }
    uint64_t mask = (uint64_t{1} << width) - 1;
    size_t bit = node * width;
    const uint64_t* word = words + bit / 64;
    auto shift = static_cast<uint32_t>(bit % 64);
    uint64_t value = word[0] >> shift;
    if (shift + width > 64) {
        value |= word[1] << (64 - shift);
    }
    return static_cast<uint32_t>(value & mask);
}
