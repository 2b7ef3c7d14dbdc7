// Writes a large synthetic design for benchmarking: an SSBDD model file
// NAME.agm and an annotated patterns file NAME.tst (vectors, fault table and
// fault summary).
//
// How many vectors detect a fault follows a heavy-tailed distribution: the
// count is drawn log-uniformly (an octave chosen uniformly, then a count
// uniformly inside it) from 1 to half the vectors, and a share of the faults
// is left undetectable. A vector detects at most one fault per node; where the
// draw gave it both, one of the two is dropped at random. The fault summary is
// the union of the table. Everything follows from the seed alone: the random
// generator and every distribution are implemented here, with integer
// arithmetic only.
#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

struct GeneratorOptions {
    uint32_t vectors = 0;
    uint32_t nodes = 0;
    uint32_t inputs = 64;
    uint32_t constants = 2;
    uint32_t outputs = 16;
    uint32_t graphs = 0;  // 0: max(outputs, nodes / 8)
    double xShare = 0.05;
    double tableXShare = 0.0;
    double undetectableShare = 0.1;
    uint64_t seed = 1;
    std::string out;
};

const char* const UsageText =
    "usage: generate_design --vectors V --nodes N --out DIR/NAME\n"
    "         [--inputs I] [--constants C] [--outputs O] [--graphs G]\n"
    "         [--x-share P] [--table-x-share P] [--undetectable P] [--seed S]\n"
    "Writes DIR/NAME.agm and DIR/NAME.tst. Shares are fractions from 0 to 1.\n"
    "Defaults: 64 inputs, 2 constants, 16 outputs, max(O, N/8) graphs,\n"
    "x share 0.05, table x share 0, undetectable share 0.1, seed 1.\n";

[[noreturn]] void failUsage(const char* message) {
    std::fprintf(stderr, "generate_design: %s\n%s", message, UsageText);
    std::exit(2);
}

// xoshiro256** seeded through splitmix64: fixed output on every platform.
struct Random {
    uint64_t s[4];
};

Random seedRandom(uint64_t seed) {
    Random random{};
    for (uint64_t& word : random.s) {
        seed += 0x9e3779b97f4a7c15ULL;
        uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        word = z ^ (z >> 31);
    }
    return random;
}

inline uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

inline uint64_t nextRandom(Random& r) {
    uint64_t result = rotl(r.s[1] * 5, 7) * 9;
    uint64_t t = r.s[1] << 17;
    r.s[2] ^= r.s[0];
    r.s[3] ^= r.s[1];
    r.s[1] ^= r.s[2];
    r.s[0] ^= r.s[3];
    r.s[2] ^= t;
    r.s[3] = rotl(r.s[3], 45);
    return result;
}

// A number in [0, bound), bound >= 1.
inline uint32_t randomBelow(Random& r, uint32_t bound) {
    return static_cast<uint32_t>(((nextRandom(r) >> 32) * bound) >> 32);
}

// A share as a threshold on 32 random bits.
uint64_t shareThreshold(double share) {
    return static_cast<uint64_t>(share * 4294967296.0);
}

inline bool randomChance(Random& r, uint64_t threshold) { return (nextRandom(r) >> 32) < threshold; }

// 1 to maxCount, log-uniform by octaves: octave j (counts 2^j to 2^(j+1) - 1)
// is chosen uniformly, then a count inside it; counts above maxCount are drawn again.
uint32_t drawDetectionCount(Random& r, uint32_t maxCount) {
    uint32_t octaves = 0;
    while (octaves < 32 && (uint64_t{1} << octaves) <= maxCount) {
        ++octaves;
    }
    for (;;) {
        uint32_t octave = randomBelow(r, octaves);
        uint64_t low = uint64_t{1} << octave;
        uint64_t count = low + randomBelow(r, static_cast<uint32_t>(low));
        if (count <= maxCount) {
            return static_cast<uint32_t>(count);
        }
    }
}

uint32_t parseCount(const char* text, const char* name) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (*text == '\0' || *end != '\0' || text[0] == '-' || value > 0xffffffffULL) {
        std::fprintf(stderr, "generate_design: bad value for %s: %s\n", name, text);
        std::exit(2);
    }
    return static_cast<uint32_t>(value);
}

double parseShare(const char* text, const char* name) {
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (*text == '\0' || *end != '\0' || !(value >= 0.0 && value <= 1.0)) {
        std::fprintf(stderr, "generate_design: bad share for %s: %s\n", name, text);
        std::exit(2);
    }
    return value;
}

GeneratorOptions parseOptions(int argc, char** argv) {
    GeneratorOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            std::fputs(UsageText, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            failUsage("missing value after an option");
        }
        const char* value = argv[++i];
        if (flag == "--vectors") options.vectors = parseCount(value, "--vectors");
        else if (flag == "--nodes") options.nodes = parseCount(value, "--nodes");
        else if (flag == "--inputs") options.inputs = parseCount(value, "--inputs");
        else if (flag == "--constants") options.constants = parseCount(value, "--constants");
        else if (flag == "--outputs") options.outputs = parseCount(value, "--outputs");
        else if (flag == "--graphs") options.graphs = parseCount(value, "--graphs");
        else if (flag == "--x-share") options.xShare = parseShare(value, "--x-share");
        else if (flag == "--table-x-share") options.tableXShare = parseShare(value, "--table-x-share");
        else if (flag == "--undetectable") options.undetectableShare = parseShare(value, "--undetectable");
        else if (flag == "--seed") options.seed = std::strtoull(value, nullptr, 10);
        else if (flag == "--out") options.out = value;
        else failUsage("unknown option");
    }
    if (options.vectors == 0 || options.nodes == 0 || options.out.empty()) {
        failUsage("--vectors, --nodes and --out are required (vectors and nodes at least 1)");
    }
    if (options.graphs == 0) {
        options.graphs = std::max(options.outputs, options.nodes / 8);
    }
    if (options.outputs > options.graphs || options.graphs > options.nodes) {
        failUsage("need outputs <= graphs <= nodes");
    }
    return options;
}

// Output through a large buffer, written out with fwrite when full.
struct OutputFile {
    std::FILE* file = nullptr;
    std::string path;
    std::vector<char> buffer;
    size_t used = 0;
    uint64_t written = 0;
};

OutputFile openOutput(const std::string& path) {
    OutputFile out;
    out.path = path;
    out.file = std::fopen(path.c_str(), "wb");
    if (out.file == nullptr) {
        std::fprintf(stderr, "generate_design: can't create %s\n", path.c_str());
        std::exit(1);
    }
    std::setvbuf(out.file, nullptr, _IONBF, 0);
    out.buffer.resize(size_t{8} << 20);
    return out;
}

void writeRaw(OutputFile& out, const char* data, size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, out.file) != size) {
        std::fprintf(stderr, "generate_design: write to %s failed\n", out.path.c_str());
        std::exit(1);
    }
    out.written += size;
}

void flushOutput(OutputFile& out) {
    writeRaw(out, out.buffer.data(), out.used);
    out.used = 0;
}

void put(OutputFile& out, const char* data, size_t size) {
    if (out.used + size > out.buffer.size()) {
        flushOutput(out);
        if (size > out.buffer.size()) {
            writeRaw(out, data, size);
            return;
        }
    }
    std::memcpy(out.buffer.data() + out.used, data, size);
    out.used += size;
}

void putText(OutputFile& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void putText(OutputFile& out, const char* format, ...) {
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    put(out, line, static_cast<size_t>(std::min(length, static_cast<int>(sizeof line) - 1)));
}

uint64_t closeOutput(OutputFile& out) {
    flushOutput(out);
    if (std::fclose(out.file) != 0) {
        std::fprintf(stderr, "generate_design: closing %s failed\n", out.path.c_str());
        std::exit(1);
    }
    return out.written;
}

struct Layout {
    uint32_t variables = 0;
    uint32_t firstGraphVariable = 0;
    std::vector<uint32_t> graphSizes;
};

// Graph sizes: every graph one node, the rest spread by random cut points.
Layout planLayout(const GeneratorOptions& options, Random& random) {
    Layout layout;
    layout.firstGraphVariable = options.inputs + options.constants;
    layout.variables = layout.firstGraphVariable + options.graphs;
    std::vector<uint32_t> cuts(options.graphs - 1);
    uint32_t spare = options.nodes - options.graphs;
    for (uint32_t& cut : cuts) {
        cut = randomBelow(random, spare + 1);
    }
    std::sort(cuts.begin(), cuts.end());
    uint32_t previous = 0;
    for (uint32_t cut : cuts) {
        layout.graphSizes.push_back(1 + cut - previous);
        previous = cut;
    }
    layout.graphSizes.push_back(1 + spare - previous);
    return layout;
}

bool isOutputVariable(const GeneratorOptions& options, const Layout& layout, uint32_t variable) {
    return variable >= layout.variables - options.outputs;
}

void variableName(const GeneratorOptions& options, const Layout& layout, uint32_t variable,
                  char* name, size_t size) {
    if (variable < options.inputs) {
        std::snprintf(name, size, "in%u", variable);
    } else if (variable < layout.firstGraphVariable) {
        std::snprintf(name, size, "k%u", variable - options.inputs);
    } else if (isOutputVariable(options, layout, variable)) {
        std::snprintf(name, size, "out%u", variable - (layout.variables - options.outputs));
    } else {
        std::snprintf(name, size, "s%u", variable - layout.firstGraphVariable);
    }
}

// Constant j has the value j % 2: the first a 0, the second a 1, and so on.
inline uint32_t constantValue(uint32_t constant) { return constant % 2; }

uint64_t writeModel(const GeneratorOptions& options, const Layout& layout, Random& random) {
    OutputFile out = openOutput(options.out + ".agm");
    putText(out, "; synthetic SSBDD model: %u inputs, %u constants, %u graphs, %u outputs, %u nodes\n",
            options.inputs, options.constants, options.graphs, options.outputs, options.nodes);
    putText(out, "STAT# %u, %u, %u, %u, %u, %u\n", options.nodes, layout.variables, options.graphs,
            options.inputs, options.constants, options.outputs);
    putText(out, "MODE# STRUCTURAL\n");
    char name[64];
    for (uint32_t v = 0; v < layout.firstGraphVariable; ++v) {
        variableName(options, layout, v, name, sizeof name);
        if (v < options.inputs) {
            putText(out, "VAR# %u: (I) \"%s\"\n", v, name);
        } else {
            putText(out, "VAR# %u: (C) \"%s\" =%u\n", v, name, constantValue(v - options.inputs));
        }
    }
    uint32_t node = 0;
    for (uint32_t g = 0; g < options.graphs; ++g) {
        uint32_t variable = layout.firstGraphVariable + g;
        variableName(options, layout, variable, name, sizeof name);
        putText(out, "VAR# %u: (%s) \"%s\"\n", variable,
                isOutputVariable(options, layout, variable) ? "O" : "D", name);
        uint32_t size = layout.graphSizes[g];
        putText(out, "GRP# %u: BEG = %u, LEN = %u\n", g, node, size);
        for (uint32_t j = 0; j < size; ++j, ++node) {
            // Each node tests an input or the variable of an earlier graph;
            // successors stay inside the graph, 0 being the terminal.
            uint32_t tested = randomBelow(random, options.inputs + g);
            if (tested >= options.inputs) {
                tested += options.constants;
            }
            uint32_t one = j + 1 < size ? node + 1 : 0;
            uint32_t zero = j + 2 < size ? node + 1 + randomBelow(random, size - j - 1) : 0;
            variableName(options, layout, tested, name, sizeof name);
            putText(out, "%u: (%s) (%u %u) =%u \"%s\"\n", node,
                    randomBelow(random, 2) != 0 ? "I" : "", one, zero, tested, name);
        }
    }
    return closeOutput(out);
}

// The detection bits, one plane of `vectors` bits per fault (fault 2n + b is
// fault b of node n), after the conflicts within a node were resolved.
struct Detections {
    uint32_t words = 0;  // words per fault
    std::vector<uint64_t> bits;
    std::string summary;
    uint32_t detectable = 0;
};

Detections drawDetections(const GeneratorOptions& options, Random& random) {
    Detections detections;
    detections.words = (options.vectors + 63) / 64;
    detections.bits.assign(size_t{2} * options.nodes * detections.words, 0);
    uint32_t maxCount = std::max(1u, options.vectors / 2);
    uint64_t undetectable = shareThreshold(options.undetectableShare);
    for (uint64_t fault = 0; fault < uint64_t{2} * options.nodes; ++fault) {
        if (randomChance(random, undetectable)) {
            continue;
        }
        uint64_t* plane = detections.bits.data() + fault * detections.words;
        uint32_t count = drawDetectionCount(random, maxCount);
        for (uint32_t placed = 0; placed < count;) {
            uint32_t vector = randomBelow(random, options.vectors);
            uint64_t mask = uint64_t{1} << (vector % 64);
            if ((plane[vector / 64] & mask) == 0) {
                plane[vector / 64] |= mask;
                ++placed;
            }
        }
    }
    detections.summary.assign(options.nodes, 'X');
    for (uint32_t node = 0; node < options.nodes; ++node) {
        uint64_t* plane0 = detections.bits.data() + size_t{2} * node * detections.words;
        uint64_t* plane1 = plane0 + detections.words;
        bool any0 = false;
        bool any1 = false;
        for (uint32_t w = 0; w < detections.words; ++w) {
            uint64_t both = plane0[w] & plane1[w];
            if (both != 0) {
                uint64_t keepOne = nextRandom(random);
                plane0[w] &= ~(both & keepOne);
                plane1[w] &= ~(both & ~keepOne);
            }
            any0 = any0 || plane0[w] != 0;
            any1 = any1 || plane1[w] != 0;
        }
        detections.summary[node] = any0 && any1 ? '&' : any0 ? '0' : any1 ? '1' : 'X';
        detections.detectable += (any0 ? 1 : 0) + (any1 ? 1 : 0);
    }
    return detections;
}

void writeVectorRows(OutputFile& out, const GeneratorOptions& options, const Layout& layout,
                     Random& random) {
    // 16 random bits per symbol: the upper 15 decide 'x', the lowest the value.
    auto xLimit = static_cast<uint32_t>(options.xShare * 32768.0);
    std::string row(layout.variables + 1, '\n');
    uint64_t bits = 0;
    uint32_t lanes = 0;
    for (uint32_t vector = 0; vector < options.vectors; ++vector) {
        for (uint32_t v = 0; v < layout.variables; ++v) {
            if (v >= options.inputs && v < layout.firstGraphVariable) {
                row[v] = constantValue(v - options.inputs) != 0 ? 'h' : 'l';
                continue;
            }
            if (lanes == 0) {
                bits = nextRandom(random);
                lanes = 4;
            }
            auto lane = static_cast<uint32_t>(bits & 0xffff);
            bits >>= 16;
            --lanes;
            bool one = (lane & 1) != 0;
            char symbol;
            if ((lane >> 1) < xLimit) {
                symbol = 'x';
            } else if (v < options.inputs) {
                symbol = one ? '1' : '0';
            } else if (isOutputVariable(options, layout, v)) {
                symbol = one ? 'H' : 'L';
            } else {
                symbol = one ? 'h' : 'l';
            }
            row[v] = symbol;
        }
        put(out, row.data(), row.size());
    }
}

constexpr uint32_t NodeTile = 256;

// Rows are built in blocks of a multiple of 64 vectors, so that each fault's
// bits for a block are whole words.
void writeTableRows(OutputFile& out, const GeneratorOptions& options, const Detections& detections,
                    Random& random) {
    flushOutput(out);
    size_t stride = size_t{options.nodes} + 1;
    size_t blockRows = std::max<size_t>(64, (size_t{16} << 20) / stride / 64 * 64);
    blockRows = std::min<size_t>(blockRows, size_t{detections.words} * 64);
    std::vector<char> block(blockRows * stride);
    uint64_t xThreshold = shareThreshold(options.tableXShare);
    for (uint32_t first = 0; first < options.vectors; first += static_cast<uint32_t>(blockRows)) {
        uint32_t rows = std::min<uint32_t>(static_cast<uint32_t>(blockRows), options.vectors - first);
        for (uint32_t r = 0; r < rows; ++r) {
            char* line = block.data() + r * stride;
            std::memset(line, 'X', options.nodes);
            line[options.nodes] = '\n';
        }
        uint32_t firstWord = first / 64;
        uint32_t endWord = std::min(detections.words, static_cast<uint32_t>((first + rows + 63) / 64));
        // Nodes in tiles, so that the stores of a tile stay within a few
        // hundred kilobytes of the block.
        for (uint32_t tile = 0; tile < options.nodes; tile += NodeTile) {
            uint32_t tileEnd = std::min(options.nodes, tile + NodeTile);
            for (uint32_t node = tile; node < tileEnd; ++node) {
                for (uint32_t fault = 0; fault < 2; ++fault) {
                    const uint64_t* plane =
                        detections.bits.data() + (size_t{2} * node + fault) * detections.words;
                    char symbol = static_cast<char>('0' + fault);
                    for (uint32_t w = firstWord; w < endWord; ++w) {
                        for (uint64_t word = plane[w]; word != 0; word &= word - 1) {
                            size_t row = size_t{w} * 64 + static_cast<size_t>(__builtin_ctzll(word)) - first;
                            block[row * stride + node] = symbol;
                        }
                    }
                }
            }
        }
        if (xThreshold != 0) {
            for (uint32_t r = 0; r < rows; ++r) {
                char* line = block.data() + r * stride;
                for (uint32_t node = 0; node < options.nodes; ++node) {
                    if (randomChance(random, xThreshold) && line[node] == 'X') {
                        line[node] = 'x';
                    }
                }
            }
        }
        writeRaw(out, block.data(), rows * stride);
    }
}

uint64_t writePatterns(const GeneratorOptions& options, const Layout& layout,
                       const Detections& detections, Random& random) {
    OutputFile out = openOutput(options.out + ".tst");
    double coverage = 100.0 * detections.detectable / (2.0 * options.nodes);
    putText(out, ".VECTORS %u\n.COVERAGE %.2f\n\n.PATTERNS\n", options.vectors, coverage);
    writeVectorRows(out, options, layout, random);
    putText(out, "\n.TABLE\n");
    writeTableRows(out, options, detections, random);
    putText(out, "\n.FAULTS\n");
    put(out, detections.summary.data(), detections.summary.size());
    put(out, "\n", 1);
    return closeOutput(out);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        GeneratorOptions options = parseOptions(argc, argv);
        Random random = seedRandom(options.seed);
        Layout layout = planLayout(options, random);
        uint64_t modelBytes = writeModel(options, layout, random);
        Detections detections = drawDetections(options, random);
        uint64_t patternsBytes = writePatterns(options, layout, detections, random);
        std::printf("%s.agm: %" PRIu64 " bytes\n%s.tst: %" PRIu64 " bytes, %u of %u faults detectable\n",
                    options.out.c_str(), modelBytes, options.out.c_str(), patternsBytes,
                    detections.detectable, 2 * options.nodes);
        return 0;
    } catch (const std::bad_alloc&) {
        std::fputs("generate_design: out of memory\n", stderr);
        return 1;
    }
}
