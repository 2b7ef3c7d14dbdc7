// Which step of the selection put a vector into the chosen set.
#pragma once

#include <cstdint>

enum class ChoicePhase : uint8_t {
    Essential,  // some fault needed it (every vector that detects a fault with too few)
    Widest,     // the widest vector, with "-no_unique_vectors"
    Greedy,     // it met the most open demand when it was taken
    Swap,       // the budget's search swapped it in for a chosen vector
    Minimize,   // the "-minimize" search put it in place of the default set
    Diagnostic, // the "-diagnostic" top-up took it to tell faults apart
};

// "essential", "widest", "greedy", "swap", "minimize" or "diagnostic".
inline const char* choicePhaseName(ChoicePhase phase) {
    switch (phase) {
        case ChoicePhase::Essential: return "essential";
        case ChoicePhase::Widest: return "widest";
        case ChoicePhase::Greedy: return "greedy";
        case ChoicePhase::Swap: return "swap";
        case ChoicePhase::Minimize: return "minimize";
        case ChoicePhase::Diagnostic: return "diagnostic";
    }
    return "";
}
