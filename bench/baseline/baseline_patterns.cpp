// The plain patterns reader and writer: one stdio call per character, a
// stream step back by a seek, header lines through a 128-byte buffer, and
// byte tables of the declared sizes.
#include "baseline_patterns.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "base/fatal_error.h"

namespace {

constexpr uint8_t Unspecified = 120;

struct BaselineReader {
    std::FILE* file = nullptr;
    int32_t lineNumber = 1;
    uint32_t rowIndex = 0;
    const SsbddModel* model = nullptr;
    BaselinePatternSet* patterns = nullptr;
};

bool isWhite(int ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

void skipLine(BaselineReader& reader) {
    int ch;
    while ((ch = std::fgetc(reader.file)) != EOF) {
        if (ch == '\n') {
            ++reader.lineNumber;
            return;
        }
    }
}

void stepBack(BaselineReader& reader) { std::fseek(reader.file, -1, SEEK_CUR); }

void createStorage(BaselineReader& reader, uint32_t count) {
    BaselinePatternSet& patterns = *reader.patterns;
    const SsbddModel& model = *reader.model;
    patterns.vectorCount = count;
    patterns.vectorsHeaderSeen = true;
    patterns.hasFaultTable = false;  // the table it replaces goes with it
    patterns.vectors.assign(count, std::vector<uint8_t>(model.variableCount, Unspecified));
    patterns.faultTable.assign(count, std::string(model.nodeCount, 'X'));
    patterns.faultSummary.assign(model.nodeCount, 'X');
}

void readPatternRow(BaselineReader& reader, uint32_t vector) {
    const SsbddModel& model = *reader.model;
    std::vector<uint8_t>& values = reader.patterns->vectors[vector];
    for (uint64_t k = 0; k < model.inputCount; ++k) {
        int ch = std::fgetc(reader.file);
        if (ch == EOF) {
            break;
        }
        uint8_t value;
        if (ch == '0' || ch == 'L' || ch == 'l') {
            value = 0;
        } else if (ch == '1' || ch == 'H' || ch == 'h') {
            value = 1;
        } else if (ch == 'x') {
            value = Unspecified;
        } else {
            fatalError("Unknown symbol in patterns file", reader.lineNumber);
        }
        if (k < values.size()) {
            values[k] = value;
        }
    }
    uint64_t last = uint64_t{model.inputCount} + model.constantCount;
    for (uint64_t k = model.inputCount; k < last; ++k) {
        uint32_t flags = k < model.variables.size() ? model.variables[k].flags : 0;
        uint8_t value;
        if (flags & VarConstZero) {
            value = 0;
        } else if (flags & VarConstOne) {
            value = 1;
        } else {
            fatalError("Constant variable expected", reader.lineNumber);
        }
        if (k < values.size()) {
            values[k] = value;
        }
    }
    skipLine(reader);
}

// A run of `symbols` characters into `row`, at most `row.size()` of them.
void readSymbolRun(BaselineReader& reader, std::string& row, const char* symbols, const char* tooLong) {
    size_t j = 0;
    int ch;
    while ((ch = std::fgetc(reader.file)) != EOF) {
        if (ch != 0 && std::strchr(symbols, ch) != nullptr) {
            if (j == row.size()) {
                fatalError(tooLong, reader.lineNumber);
            }
            row[j++] = static_cast<char>(ch);
        } else {
            stepBack(reader);
            skipLine(reader);
            return;
        }
    }
}

void requireStorage(const BaselineReader& reader) {
    if (!reader.patterns->vectorsHeaderSeen) {
        fatalError("VECTORS header expected", reader.lineNumber);
    }
}

void readRows(BaselineReader& reader, bool table) {
    BaselinePatternSet& patterns = *reader.patterns;
    if (patterns.vectorsHeaderSeen && patterns.vectorCount == 0) {
        return;
    }
    int ch;
    while ((ch = std::fgetc(reader.file)) != EOF) {
        stepBack(reader);
        if (isWhite(ch)) {
            skipLine(reader);
            continue;
        }
        requireStorage(reader);
        if (table) {
            readSymbolRun(reader, patterns.faultTable[reader.rowIndex], "01Xx", "Line of table too long");
            patterns.hasFaultTable = true;
        } else {
            readPatternRow(reader, reader.rowIndex);
        }
        ++reader.rowIndex;
        if (reader.rowIndex == patterns.vectorCount) {
            reader.rowIndex = 0;
            return;
        }
    }
}

void readFaults(BaselineReader& reader) {
    int ch;
    while ((ch = std::fgetc(reader.file)) != EOF) {
        stepBack(reader);
        if (isWhite(ch)) {
            skipLine(reader);
            continue;
        }
        requireStorage(reader);
        readSymbolRun(reader, reader.patterns->faultSummary, "&01Xx", "FAULTS section too long");
        return;
    }
}

void readVectorsHeader(BaselineReader& reader, const char* text) {
    while (*text != 0 && isWhite(static_cast<unsigned char>(*text))) {
        ++text;
    }
    // A minus sign makes the count invalid, digits or none after it.
    if (*text == '-') {
        fatalError("Invalid vector count", reader.lineNumber);
    }
    if (*text == '+') {
        ++text;
    }
    unsigned long long count = 0;
    if (std::isdigit(static_cast<unsigned char>(*text))) {
        errno = 0;
        count = std::strtoull(text, nullptr, 10);
        if (errno == ERANGE || count > UINT32_MAX) {
            fatalError("Out of memory", NoLine);
        }
    }
    createStorage(reader, static_cast<uint32_t>(count));
}

void readHeader(BaselineReader& reader) {
    char buffer[128];
    if (std::fgets(buffer, sizeof buffer, reader.file) == nullptr) {
        buffer[0] = 0;
    }
    const char* keyword = buffer + 1;
    if (std::strncmp(keyword, "VECTORS", 7) == 0) {
        readVectorsHeader(reader, keyword + 7);
        ++reader.lineNumber;
    } else if (std::strncmp(keyword, "FUNCTIONAL", 10) == 0) {
        ++reader.lineNumber;
    } else if (std::strncmp(keyword, "PATTERNS", 8) == 0) {
        ++reader.lineNumber;
        readRows(reader, false);
    } else if (std::strncmp(keyword, "TABLE", 5) == 0) {
        ++reader.lineNumber;
        readRows(reader, true);
    } else if (std::strncmp(keyword, "FAULTS", 6) == 0) {
        ++reader.lineNumber;
        readFaults(reader);
    } else if (std::strncmp(keyword, "COVERAGE", 8) == 0 || std::strncmp(keyword, "GENERATOR", 9) == 0 ||
               std::strncmp(keyword, "ANALYZER", 8) == 0 || std::strncmp(keyword, "INITIAL_", 8) == 0 ||
               std::strncmp(keyword, "POLYNOMI", 8) == 0 || std::strncmp(keyword, "SIGNATUR", 8) == 0) {
        ++reader.lineNumber;
    } else {
        fatalError("Unknown keyword", reader.lineNumber);
    }
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

char writtenChar(uint8_t value, uint64_t position, const SsbddModel& model) {
    if (position < model.inputCount) {
        return value == Unspecified ? 'x' : value == 0 ? '0' : static_cast<char>(48 + value);
    }
    if (position + model.outputCount < model.variableCount) {
        return value == Unspecified ? 'x' : value == 0 ? 'l' : 'h';
    }
    return value == Unspecified ? 'x' : value == 0 ? 'L' : 'H';
}

}  // namespace

BaselinePatternSet readBaselinePatternSet(const std::string& path, const SsbddModel& model) {
    try {
        BaselinePatternSet patterns;
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rt"));
        struct stat status {};
        if (!file || (::fstat(fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode))) {
            fatalFileError(path, "Can't open file", NoLine);
        }
        BaselineReader reader;
        reader.file = file.get();
        reader.model = &model;
        reader.patterns = &patterns;
        int ch;
        while ((ch = std::fgetc(reader.file)) != EOF) {
            if (ch == '\n') {
                ++reader.lineNumber;
            } else if (ch != '.') {
                skipLine(reader);
            } else {
                stepBack(reader);
                readHeader(reader);
            }
        }
        file.reset();
        return patterns;
    } catch (const std::bad_alloc&) {
        fatalError("Out of memory", NoLine);
    } catch (const std::length_error&) {
        fatalError("Out of memory", NoLine);
    }
}

void writeBaselineCompactedPatterns(const std::string& path, const std::vector<int32_t>& state,
                                    uint32_t chosenCount, const BaselinePatternSet& patterns,
                                    const SsbddModel& model) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wt+"));
    if (!file) {
        fatalFileError(path, "Can't create file", NoLine);
    }
    std::fprintf(file.get(), ".VECTORS %u\n\n", chosenCount);
    std::fprintf(file.get(), ".PATTERNS\n\n");
    for (size_t j = 0; j < state.size(); ++j) {
        if (state[j] != 0) {
            continue;
        }
        for (uint64_t k = 0; k < model.variableCount; ++k) {
            bool stored = j < patterns.vectors.size() && k < patterns.vectors[j].size();
            std::fputc(writtenChar(stored ? patterns.vectors[j][k] : Unspecified, k, model), file.get());
        }
        std::fputc('\n', file.get());
    }
    bool failed = std::ferror(file.get()) != 0;
    if (std::fclose(file.release()) != 0 || failed) {
        fatalFileError(path, "Can't write file", NoLine);
    }
}
