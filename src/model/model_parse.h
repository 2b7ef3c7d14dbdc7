// The model reader's parser: its states, the indices it advances and the rule
// for each kind of line, used by readModel.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/ssbdd_model.h"

enum ParserState : int32_t {
    AwaitStat,
    AwaitMode,
    AwaitVar,
    AwaitGraph,
    ReadNodes,
};

struct ModelParse {
    SsbddModel model;
    ParserState state = AwaitStat;
    int32_t line = 0;             // number of the line being handled
    uint32_t nextVariable = 0;
    uint32_t nextNode = 0;
    uint32_t graphVariable = 0;   // the variable whose VAR# line led to AwaitGraph
    uint32_t currentGraph = 0;    // the graph whose node lines are being read
};

// Handles one line (without its line end) by the rule of the current state:
// comment lines and lines the state does not accept are skipped. Every defect
// is fatal at parse.line.
void handleModelLine(ModelParse& parse, std::string_view line);
