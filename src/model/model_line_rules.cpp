// The rule of each model line kind. Fields are found by searching forward for
// their marker characters; a line that lacks a marker its rule needs, or that
// would fill an entry beyond a declared count, is "Corrupt DD-model file".
#include <string>

#include "base/fatal_error.h"
#include "model/model_fields.h"
#include "model/model_parse.h"

namespace {

[[noreturn]] void corrupt(const ModelParse& parse) {
    fatalError("Corrupt DD-model file", parse.line);
}

// The text from the first '"' at or after `pos` to the next '"'.
std::string quotedText(const ModelParse& parse, std::string_view line, size_t pos) {
    size_t open = afterFirst(line, pos, '"');
    size_t close = open == NoField ? NoField : line.find('"', open);
    if (close == std::string_view::npos) {
        corrupt(parse);
    }
    return std::string(line.substr(open, close - open));
}

// The characters of the group that the first '(' at or after `pos` opens and
// the next ')' closes.
std::string_view groupText(const ModelParse& parse, std::string_view line, size_t pos) {
    size_t open = afterFirst(line, pos, '(');
    size_t close = open == NoField ? NoField : line.find(')', open);
    if (close == std::string_view::npos) {
        corrupt(parse);
    }
    return line.substr(open, close - open);
}

uint32_t kindFlags(std::string_view group) {
    uint32_t flags = 0;
    for (char letter : group) {
        switch (letter) {
        case 'I': case 'i': flags |= VarInput; break;
        case 'O': case 'o': flags |= VarOutput; break;
        case 'C': case 'c': flags |= VarConstant; break;
        case 'D': case 'd': flags |= VarKindD; break;
        default: break;
        }
    }
    return flags;
}

void readStatLine(ModelParse& parse, std::string_view line) {
    int32_t counts[6];
    size_t pos = 5;  // right after "STAT#"
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            pos = afterFirst(line, pos, ',');
            if (pos == NoField) {
                corrupt(parse);
            }
        }
        counts[i] = decimalAt(line, pos);
        if (counts[i] < 0) {
            corrupt(parse);
        }
    }
    // 64-bit sums: two counts near the 32-bit limit must not wrap.
    int64_t variables = counts[1];
    if (int64_t{counts[3]} + counts[4] > variables || counts[5] > variables) {
        corrupt(parse);
    }
    SsbddModel& model = parse.model;
    model.nodeCount = static_cast<uint32_t>(counts[0]);
    model.variableCount = static_cast<uint32_t>(counts[1]);
    model.graphCount = static_cast<uint32_t>(counts[2]);
    model.inputCount = static_cast<uint32_t>(counts[3]);
    model.constantCount = static_cast<uint32_t>(counts[4]);
    model.outputCount = static_cast<uint32_t>(counts[5]);
    parse.state = AwaitMode;
}

void readModeLine(ModelParse& parse, std::string_view line) {
    // The first keyword found decides, in this order.
    if (line.find("STRUCTURAL") != std::string_view::npos ||
        line.find("structural") != std::string_view::npos) {
        parse.model.mode = ModeStructural;
    } else if (line.find("FUNCTIONAL") != std::string_view::npos ||
               line.find("functional") != std::string_view::npos) {
        parse.model.mode = ModeFunctional;
    } else {
        fatalError("Unknown MODE# specification", parse.line);
    }
    parse.state = AwaitVar;
}

// The index a VAR# or node line fills; one beyond the declared count makes
// the file corrupt.
uint32_t declaredIndex(const ModelParse& parse, uint32_t next, uint32_t declared) {
    if (next >= declared) {
        corrupt(parse);
    }
    return next;
}

void readVarLine(ModelParse& parse, std::string_view line) {
    SsbddModel& model = parse.model;
    uint32_t v = declaredIndex(parse, parse.nextVariable, model.variableCount);
    size_t fields = afterFirst(line, 0, ':');
    if (fields == NoField) {
        corrupt(parse);
    }
    ModelVariable variable;
    variable.flags = kindFlags(groupText(parse, line, fields));
    variable.name = quotedText(parse, line, fields);

    // The value bits follow the constant index range alone.
    uint64_t fixedEnd = uint64_t{model.inputCount} + model.constantCount;
    if (v >= model.inputCount && v < fixedEnd) {
        size_t value = afterFirst(line, fields, '=');
        if (value == NoField) {
            corrupt(parse);
        }
        variable.flags |= decimalAt(line, value) != 0 ? VarConstOne : VarConstZero;
    }
    model.variables.push_back(std::move(variable));
    parse.nextVariable = v + 1;
    if (v >= fixedEnd) {
        parse.graphVariable = v;
        parse.state = AwaitGraph;
    }
}

void readGraphLine(ModelParse& parse, std::string_view line) {
    SsbddModel& model = parse.model;
    size_t first = afterFirst(line, 0, '=');
    size_t second = first == NoField ? NoField : afterFirst(line, first, '=');
    if (second == NoField) {
        corrupt(parse);
    }
    int32_t nodeCount = decimalAt(line, second);
    // AwaitGraph is reached only from a variable at or after the fixed range.
    uint32_t g = parse.graphVariable - model.inputCount - model.constantCount;
    if (nodeCount < 1 || g >= model.graphCount) {
        corrupt(parse);
    }
    if (g >= model.graphs.size()) {
        model.graphs.resize(g + 1);
    }
    model.graphs[g] = ModelGraph{parse.nextNode, static_cast<uint32_t>(nodeCount)};
    parse.currentGraph = g;
    parse.state = ReadNodes;
}

void readNodeLine(ModelParse& parse, std::string_view line) {
    SsbddModel& model = parse.model;
    uint32_t n = declaredIndex(parse, parse.nextNode, model.nodeCount);
    ModelNode node;
    std::string_view flagGroup = groupText(parse, line, 0);
    if (flagGroup.find_first_of("Ii") != std::string_view::npos) {
        node.flags |= NodeFlagI;
    }
    // The successor pair follows the first '(' after the one that opened
    // the flag group; its two numbers are separated by white space.
    size_t pair = afterFirst(line, static_cast<size_t>(flagGroup.data() - line.data()), '(');
    if (pair == NoField) {
        corrupt(parse);
    }
    node.firstSuccessor = decimalAt(line, pair);
    // Without white space after the first successor's text the line ends
    // there, and the search for the '=' below fails.
    size_t second = skipFieldText(line, pair);
    node.secondSuccessor = decimalAt(line, second);
    size_t variable = afterFirst(line, second, '=');
    if (variable == NoField) {
        corrupt(parse);
    }
    node.variable = decimalAt(line, variable);
    std::string name = quotedText(parse, line, 0);

    model.nodes.push_back(node);
    model.nodeNames.push_back(std::move(name));
    parse.nextNode = n + 1;
    const ModelGraph& graph = model.graphs[parse.currentGraph];
    if (uint64_t{n} + 1 >= uint64_t{graph.firstNode} + graph.nodeCount) {
        parse.state = AwaitVar;
    }
}

bool startsWith(std::string_view line, std::string_view keyword) {
    return line.substr(0, keyword.size()) == keyword;
}

}  // namespace

void handleModelLine(ModelParse& parse, std::string_view line) {
    if (!line.empty() && line[0] == ';') {
        return;
    }
    if (parse.state == ReadNodes) {
        if (line.find(':') != std::string_view::npos) {
            readNodeLine(parse, line);
        }
        return;
    }
    // The keyword each state waits for, in the order of the states; other
    // lines are skipped.
    struct KeywordRule {
        std::string_view keyword;
        void (*read)(ModelParse&, std::string_view);
    };
    static constexpr KeywordRule Rules[] = {
        {"STAT#", readStatLine},
        {"MODE#", readModeLine},
        {"VAR#", readVarLine},
        {"GRP#", readGraphLine},
    };
    static_assert(AwaitStat == 0 && AwaitMode == 1 && AwaitVar == 2 && AwaitGraph == 3);
    const KeywordRule& rule = Rules[parse.state];
    if (startsWith(line, rule.keyword)) {
        rule.read(parse, line);
    }
}
