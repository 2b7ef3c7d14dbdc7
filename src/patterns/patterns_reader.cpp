// The patterns file reader: the loop over header lines and the section
// bodies they open. The file is read once, a block at a time.
#include <cstring>
#include <new>
#include <stdexcept>

#include "base/fatal_error.h"
#include "patterns/chunk_supply.h"
#include "patterns/patterns_reading.h"

namespace {

// A header line is judged by at most this many characters, its line end
// included; the rest of a longer one is read as a line of its own.
constexpr size_t HeaderLimit = 127;

enum class HeaderAction { Vectors, Functional, Patterns, Table, Faults, Ignored };

struct Keyword {
    const char* text;
    size_t compared;  // a header matches when it begins with this many characters of `text`
    HeaderAction action;
};

// In the order they are tried.
constexpr Keyword Keywords[] = {
    {"VECTORS", 7, HeaderAction::Vectors},
    {"FUNCTIONAL", 10, HeaderAction::Functional},
    {"PATTERNS", 8, HeaderAction::Patterns},
    {"TABLE", 5, HeaderAction::Table},
    {"FAULTS", 6, HeaderAction::Faults},
    {"COVERAGE", 8, HeaderAction::Ignored},
    {"GENERATOR", 9, HeaderAction::Ignored},
    {"ANALYZER", 8, HeaderAction::Ignored},
    {"INITIAL_STATE", 8, HeaderAction::Ignored},
    {"POLYNOMIAL", 8, HeaderAction::Ignored},
    {"SIGNATURE", 8, HeaderAction::Ignored},
};

// `text` holds the header's characters after the '.'.
const Keyword* matchKeyword(const char* text, size_t length) {
    for (const Keyword& keyword : Keywords) {
        if (length >= keyword.compared && std::memcmp(text, keyword.text, keyword.compared) == 0) {
            return &keyword;
        }
    }
    return nullptr;
}

struct HeaderCount {
    bool negative = false;  // a minus sign, with or without digits after it
    bool tooLarge = false;  // beyond an unsigned 32-bit number
    uint32_t value = 0;
};

// The number at `text`: white space skipped, an optional sign, the digits up
// to the first other character; no digits give 0.
HeaderCount parseHeaderCount(const char* text, const char* end) {
    while (text < end && isWhiteSpace(*text)) {
        ++text;
    }
    bool minus = false;
    if (text < end && (*text == '+' || *text == '-')) {
        minus = *text == '-';
        ++text;
    }
    HeaderCount count;
    uint64_t value = 0;
    for (; text < end && *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + static_cast<uint64_t>(*text - '0');
        if (value > UINT32_MAX) {
            count.tooLarge = true;
            value = UINT32_MAX;
        }
    }
    count.negative = minus;
    count.value = static_cast<uint32_t>(value);
    return count;
}

// Storage for a new vector count: everything read before is dropped, the
// fault table and the note that one was read included, so a file whose last
// VECTORS section has no TABLE row holds no fault simulation data. The tables
// themselves grow only with the rows read.
void createStorage(PatternsReader& reader, uint32_t count) {
    PatternSet& patterns = reader.patterns;
    patterns.vectorCount = count;
    patterns.vectorsHeaderSeen = true;
    patterns.hasFaultTable = false;
    patterns.inputValues = std::vector<uint8_t>();
    patterns.constantsSet = std::vector<uint8_t>();
    patterns.faultTable = FaultTable{};
    patterns.faultSummary = FaultSummary{};
    reader.lowerXRows.clear();
}

void requireStorage(const PatternsReader& reader) {
    if (!reader.patterns.vectorsHeaderSeen) {
        fatalError("VECTORS header expected", currentLine(reader));
    }
}

// The body of a PATTERNS or TABLE section: rows up to the vector count, lines
// that begin with white space skipped.
void readSectionRows(PatternsReader& reader, HeaderAction action) {
    PatternSet& patterns = reader.patterns;
    if (patterns.vectorsHeaderSeen && patterns.vectorCount == 0) {
        return;
    }
    while (hasByte(reader.input)) {
        if (isWhiteSpace(*reader.input.next)) {
            skipLine(reader);
            continue;
        }
        requireStorage(reader);
        if (action == HeaderAction::Patterns) {
            readPatternRow(reader, reader.rowIndex);
        } else {
            readTableRow(reader, reader.rowIndex);
            patterns.hasFaultTable = true;
        }
        if (++reader.rowIndex == patterns.vectorCount) {
            reader.rowIndex = 0;
            return;
        }
    }
}

// The body of a FAULTS section: the first line that doesn't begin with white space.
void readFaultsSection(PatternsReader& reader) {
    while (hasByte(reader.input)) {
        if (isWhiteSpace(*reader.input.next)) {
            skipLine(reader);
            continue;
        }
        requireStorage(reader);
        readFaultSummary(reader);
        return;
    }
}

// A header line, '.' first, and the section it opens.
void readHeader(PatternsReader& reader) {
    BlockInput& input = reader.input;
    char header[HeaderLimit + 1];
    size_t length = 0;
    while (length < HeaderLimit && hasByte(input)) {
        char ch = *input.next++;
        header[length++] = ch;
        if (ch == '\n') {
            break;
        }
    }
    const Keyword* keyword = matchKeyword(header + 1, length - 1);
    if (keyword == nullptr) {
        fatalError("Unknown keyword", currentLine(reader));
    }
    const char* afterKeyword = header + 1 + std::strlen(keyword->text);
    switch (keyword->action) {
        case HeaderAction::Vectors: {
            HeaderCount count = parseHeaderCount(afterKeyword, header + length);
            if (count.negative) {
                fatalError("Invalid vector count", currentLine(reader));
            }
            if (count.tooLarge) {
                fatalError("Out of memory", NoLine);
            }
            createStorage(reader, count.value);
            ++reader.lineCount;
            break;
        }
        case HeaderAction::Functional:
            parseHeaderCount(afterKeyword, header + length);  // read, and not used
            ++reader.lineCount;
            break;
        case HeaderAction::Ignored:
            ++reader.lineCount;
            break;
        case HeaderAction::Patterns:
        case HeaderAction::Table:
            ++reader.lineCount;
            readSectionRows(reader, keyword->action);
            break;
        case HeaderAction::Faults:
            ++reader.lineCount;
            readFaultsSection(reader);
            break;
    }
}

void readLines(PatternsReader& reader) {
    BlockInput& input = reader.input;
    while (hasByte(input)) {
        char ch = *input.next;
        if (ch == '.') {
            readHeader(reader);
        } else {
            // A line feed alone is a line of its own; anything else goes with the rest of its line.
            skipLine(reader);
        }
    }
}

}  // namespace

PatternSet readPatternSetWithBlockSize(const std::string& path, const SsbddModel& model, size_t blockSize,
                                       ReadAheadUse use) {
    try {
        PatternSet patterns;
        patterns.inputWidth = model.inputCount;
        // While it waits for the parser, the reading thread maps the table's
        // next chunks. Declared before the reader, whose input holds that
        // thread: the supply must outlive it.
        ChunkSupply supply;
        {
            PatternsReader reader(model, patterns);
            reader.readyChunks = [&supply] { return takeReadyChunk(supply); };
            reader.input.idleWork = [&supply](uint64_t bytesToCome) { return prepareChunk(supply, bytesToCome); };
            if (!openBlockInput(reader.input, path, blockSize, use)) {
                fatalFileError(path, "Can't open file", NoLine);
            }
            readLines(reader);
        }
        return patterns;
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    } catch (const std::length_error&) {
        fatalError("Out of memory", NoLine);
    }
}

PatternSet readPatternSet(const std::string& path, const SsbddModel& model) {
    return readPatternSetWithBlockSize(path, model, FileSizedBlocks);
}

void releasePatternSet(PatternSet& patterns) { patterns = PatternSet{}; }
