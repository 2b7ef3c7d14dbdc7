// The SSBDD model of a design: counts, variables, graphs and nodes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Bits of ModelVariable::flags.
enum VariableFlag : uint32_t {
    VarInput = 1,
    VarOutput = 2,
    VarConstant = 4,
    VarConstOne = 8,
    VarConstZero = 16,
    VarKindD = 32,
};

// Bit of ModelNode::flags: the node's flag group holds 'I'.
constexpr uint32_t NodeFlagI = 1;

enum ModelMode : int32_t {
    ModeStructural = 0,
    ModeFunctional = 1,
};

struct ModelVariable {
    uint32_t flags = 0;
    std::optional<std::string> name;  // empty optional: the variable's line was never read
};

struct ModelGraph {
    uint32_t firstNode = 0;
    uint32_t nodeCount = 0;
};

struct ModelNode {
    uint32_t flags = 0;
    int32_t variable = 0;
    int32_t firstSuccessor = 0;
    int32_t secondSuccessor = 0;
};

// The tables hold one entry per line actually read, in index order, so memory
// follows the file and not the declared counts; an entry at or beyond a
// table's size is unfilled: zero flags and records, no name.
struct SsbddModel {
    uint32_t nodeCount = 0;
    uint32_t variableCount = 0;
    uint32_t graphCount = 0;
    uint32_t inputCount = 0;
    uint32_t constantCount = 0;
    uint32_t outputCount = 0;
    int32_t mode = ModeStructural;
    std::vector<ModelVariable> variables;
    std::vector<ModelGraph> graphs;
    std::vector<ModelNode> nodes;
    std::vector<std::optional<std::string>> nodeNames;
};

// Reads the model file; every failure is fatal.
SsbddModel readModel(const std::string& path);

// Releases the tables, their memory too.
void releaseModel(SsbddModel& model);

// The flag word of variable `index`, 0 for an unfilled entry.
inline uint32_t variableFlags(const SsbddModel& model, uint32_t index) {
    return index < model.variables.size() ? model.variables[index].flags : 0;
}
